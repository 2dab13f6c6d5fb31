#pragma once

#include <string>
#include <string_view>

namespace korvex {

// The main window's caption: the title alone, or the title and the input file's name
// (without its directory) when withInput is set and there is one.
std::string ComposeFrameTitle(std::string_view title, bool withInput, std::string_view inputPath,
                              bool documentNameFirst = false);

}  // namespace korvex
