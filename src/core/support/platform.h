#pragma once

#include <string>

namespace korvex {

// Kind of host the program runs on. Several rules choose by it; every present-day desktop,
// Linux included, is kind 4.
int GetPlatformKind();

// Full path of the running executable, independent of how it was started.
std::string RunningProgramPath();

}  // namespace korvex
