#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/job/run_host.h"
#include "core/support/launcher.h"

namespace korvex {

// Names that go into an argument text in double quotes cannot hold a double quote
// themselves. Shows a message naming the first one that does and returns false.
bool CheckQuotedNames(RunHost& host, const std::vector<std::string>& names);

// Runs the launcher and shows a failure to start or await the program in a message box with
// the stop icon, captioned with the program path.
LaunchResult StartCompanion(Launcher& launcher, RunHost& host, const LaunchRequest& request);

// How the status bar names a run while its companion tells its progress.
struct ProgressTitle {
  std::string title;       // "Scanning chip.gds", "Translating"
  bool showPhase = false;  // the companion's phases are worth naming
};

// StartCompanion for a waited-for run whose companion tells its progress: shown on the host
// as it comes, taken away when the run ends, fails or is stopped.
LaunchResult RunWithProgress(Launcher& launcher, RunHost& host, LaunchRequest request, const ProgressTitle& title);

std::string UnquotableNameMessage(std::string_view name);

// A failure's fixed text with the companion's own reason (the last line it wrote on standard
// error) on a line of its own, when it gave one.
std::string WithReason(const std::string& text, const LaunchResult& result);

}  // namespace korvex
