#pragma once

#include <string>
#include <vector>

#include "core/job/job_settings.h"

namespace korvex {

inline constexpr const char* kStructureMapName = "korvex.smp";

struct EngineArguments {
  std::string text;                      // the argument text, byte for byte
  std::vector<std::string> quotedNames;  // every name the text carries in double quotes
};

// The filter engine's argument text for the job. Polygon filtering needs exploded, pruned
// data, so with PFOn the settings' Explode and Prune are turned on (and stay on).
// structureMapExists tells whether korvex.smp lies in the working directory.
EngineArguments BuildEngineArguments(JobSettings& settings, const std::string& topStructure,
                                     bool structureMapExists);

}  // namespace korvex
