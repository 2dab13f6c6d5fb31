#include "core/support/command_line_info.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/support/product_info.h"

namespace korvex {

InfoRequest InfoRequestOf(int argc, const char* const* argv) {
  if (argc < 2 || argv[1] == nullptr) return InfoRequest::kNone;
  const std::string_view first = argv[1];
  if (first == "--help") return InfoRequest::kHelp;
  if (first == "--version") return InfoRequest::kVersion;
  return InfoRequest::kNone;
}

std::string VersionText(std::string_view program) {
  return std::string(program).append(" (Korvex) ").append(kProductVersion).append("\n").append(kMakerNotice).append("\n");
}

int AnswerInfoRequest(InfoRequest request, std::string_view program, std::string_view help) {
  const std::string text = request == InfoRequest::kVersion ? VersionText(program) : std::string(help);
  const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
  if (written && std::fflush(stdout) == 0) return 0;
  const int error = errno;
  std::fprintf(stderr, "%.*s: cannot write to standard output: %s\n", static_cast<int>(program.size()),
               program.data(), std::strerror(error));
  return 1;
}

}  // namespace korvex
