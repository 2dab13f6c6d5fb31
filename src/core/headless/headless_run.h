#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace korvex {

// korvex --run JOB [--dry-run]: a job file run without a window.
struct HeadlessRequest {
  std::string jobPath;
  bool dryRun = false;
};

inline constexpr int kHeadlessClean = 0;      // output written without warnings (or a clean dry run)
inline constexpr int kHeadlessWarnings = 1;   // written, with warnings
inline constexpr int kHeadlessRefused = 2;    // refused or failed; the reason is on the error stream
inline constexpr int kHeadlessStopped = 130;  // stopped by SIGINT or SIGTERM

// The request when the arguments (argv without the program) start with "--run"; nothing
// otherwise. usageError is set when they start with it but do not read whole.
std::optional<HeadlessRequest> ParseHeadlessArguments(const std::vector<std::string>& arguments,
                                                      std::string& usageError);

// Scans the job's input, sets the job up exactly as opening it in the window does, builds the
// same engine arguments and runs the engine (or its dry run): the run log, or the preview,
// goes to out; failures go to err, naming the file. Returns the exit status above.
// programDirectory holds the companion programs. SIGINT and SIGTERM stop the engine (which
// removes its temporary output) and end the run with kHeadlessStopped.
int RunHeadless(const HeadlessRequest& request, const std::string& programDirectory, std::ostream& out,
                std::ostream& err);

}  // namespace korvex
