// One run of the filter engine, from its argument list to its exit status.
#pragma once

#include <string>
#include <vector>

namespace korvex::engine {

inline constexpr const char* kProgramName = "korvexe.exe";
inline constexpr const char* kMergeListName = "korvex.lst";
inline constexpr int kExitFailure = 255;
inline constexpr int kMaxCountedExit = 127;

struct EngineRun {
  int exit_code = kExitFailure;  // warnings and errors (at most 127), or 255 on failure
  int stop_signal = 0;           // the signal that stopped the run, to be raised again
  std::string log_path;
};

// The log's path: the input's name with the extension ".log", in `working_directory`.
std::string LogPathFor(const std::string& input, const std::string& working_directory);

// Runs the engine with `args` (argv without the program name). The log and the merge list
// live in `working_directory`; relative input and output paths are taken as they are.
EngineRun RunEngine(const std::vector<std::string>& args, const std::string& working_directory);

}  // namespace korvex::engine
