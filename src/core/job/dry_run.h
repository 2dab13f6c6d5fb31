#pragma once

#include <string>

#include "core/job/job_settings.h"
#include "core/job/run_host.h"
#include "core/support/launcher.h"

namespace korvex {

inline constexpr const char* kDryRunSwitch = " -dryrun";

struct DryRunResult {
  LaunchResult launch;  // code kLaunchStarted: exitCode is the engine's
  bool started = false;
  std::string log;      // the engine's log of the dry run ("" when it wrote none)
  std::string outputFile;  // the output the run was given (and did not write)
};

// Runs the engine on the job exactly as a translation would (same arguments, output file
// as set or as it would be proposed) with the dry-run switch: every pass, nothing written.
// The settings are not changed. An earlier run log of the input in the working directory
// is put back afterwards, so a preview never costs the log of the last real run.
// Start failures and unquotable names are shown through the host.
DryRunResult RunDryRun(const JobSettings& settings, const std::string& topStructure, Launcher& launcher,
                       RunHost& host);

}  // namespace korvex
