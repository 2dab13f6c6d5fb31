// Runs a program the way the front end does (no shell), with a time limit, and collects its
// exit status and what it wrote to standard output and standard error.
#pragma once

#include <string>
#include <vector>

namespace korvex::testing {

struct ProgramRun {
  bool started = false;
  bool timed_out = false;
  bool signalled = false;  // ended by a signal (a crash)
  int exit_code = -1;
  std::string out;
  std::string err;
  std::string progress;  // what it wrote to the descriptor KORVEX_PROGRESS_FD named
};

// Where the program is told to write its progress lines.
enum class ProgressTo {
  kNowhere,         // KORVEX_PROGRESS_FD unset
  kFile,            // a file of its own, read back into ProgramRun::progress
  kStandardOutput,  // "1": to be refused
};

// argv[0] is the program (looked up on PATH when it has no slash).
ProgramRun RunProgram(const std::vector<std::string>& argv, const std::string& directory = "",
                      int timeout_seconds = 60, ProgressTo progress = ProgressTo::kNowhere);

}  // namespace korvex::testing
