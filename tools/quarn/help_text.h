// What `quarn.exe --help` prints.
#pragma once

#include <string>

namespace korvex::quarn {

std::string HelpText();

}  // namespace korvex::quarn
