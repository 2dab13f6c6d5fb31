#include "core/job/startup_arguments.h"

namespace korvex {

StartupRequest ParseStartupArguments(std::string_view argumentText) {
  StartupRequest request;
  if (argumentText.find("-dbgx") != std::string_view::npos) {
    request.debugMode = true;
  } else {
    request.fileToOpen = argumentText;
  }
  return request;
}

std::string JoinArguments(int argc, const char* const* argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
}

}  // namespace korvex
