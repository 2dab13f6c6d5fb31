// The answers every program of the suite gives to --help and --version: printed on standard
// output before the program does anything else, so that asking writes no log, report or window.
#pragma once

#include <string>
#include <string_view>

namespace korvex {

enum class InfoRequest { kNone, kHelp, kVersion };

// --help or --version as the first argument. Later positions are left alone: there they may
// be a file or structure name that the program reads as such.
InfoRequest InfoRequestOf(int argc, const char* const* argv);

// "quarn.exe (Korvex) 1.41" and the maker's notice.
std::string VersionText(std::string_view program);

// The help text's paragraph on the progress channel, for the programs that write one.
// Said by each program of the one file it reads.
inline constexpr std::string_view kCompressedHelp =
    "A gzip-compressed file (told by its first bytes, under any name) is inflated once\n"
    "into an unnamed temporary file in $TMPDIR (default /tmp) and read from there.\n";

inline constexpr std::string_view kProgressHelp =
    "Environment:\n"
    "  KORVEX_PROGRESS_FD  when set to a descriptor number, progress lines\n"
    "                      `PHASE DONE TOTAL` are written to it\n";

// Prints `help` or the version text. Returns the exit status: 0, or 1 when standard output
// could not take it (a full disk, a closed pipe), which the program says on standard error.
int AnswerInfoRequest(InfoRequest request, std::string_view program, std::string_view help);

}  // namespace korvex
