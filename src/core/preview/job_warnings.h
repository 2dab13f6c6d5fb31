#pragma once

#include <string>
#include <vector>

#include "core/inspect/scan_result.h"
#include "core/job/job_settings.h"

namespace korvex {

// Everything the job will ignore or that may surprise, each with its reason, in plain words
// (no "Warning:" prefix). Reads the settings as the user left them (before a translation
// turns options on for polygon filtering), the scan of the input, and structureMap: the
// lines of korvex.smp in the working directory (none when there is no such file). Which
// input the maps were made for is settings.RulesInputFile.
std::vector<std::string> JobWarnings(const JobSettings& settings, const ScanResult& scan,
                                     const std::vector<std::string>& structureMap);

}  // namespace korvex
