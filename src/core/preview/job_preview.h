#pragma once

#include <string>
#include <vector>

#include "core/inspect/scan_result.h"
#include "core/job/job_settings.h"

namespace korvex {

struct PreviewInputs {
  std::vector<std::string> structureMap;  // lines of korvex.smp; none when there is none
  std::vector<std::string> warnings;      // JobWarnings of the job
  bool engineRan = false;                 // the dry run started and ended on its own
  int engineExitCode = 0;
  std::string engineLog;                  // the engine's log of the dry run
  std::string outputFile;                 // the output the dry run was given
};

// The job preview as the log view and a headless dry run show it: the job in plain words,
// the scanned layers and datatypes with what becomes of each, the pairs the dry run met with
// their counts, the renames, the warnings, and the engine's own log of the dry run.
std::string JobPreviewText(const JobSettings& settings, const ScanResult& scan, const PreviewInputs& inputs);

}  // namespace korvex
