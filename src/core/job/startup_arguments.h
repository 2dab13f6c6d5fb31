#pragma once

#include <string>
#include <string_view>

namespace korvex {

struct StartupRequest {
  bool debugMode = false;
  std::string fileToOpen;  // empty: start with an empty document
};

// "-dbgx" anywhere in the argument text turns debug mode on and opens nothing; otherwise
// the whole text names one file.
StartupRequest ParseStartupArguments(std::string_view argumentText);

// The argument text as the program sees it: the arguments after the program path,
// joined by single blanks.
std::string JoinArguments(int argc, const char* const* argv);

inline constexpr const char* kDebugModeMessage = "Program in 'dbgx' mode.";

}  // namespace korvex
