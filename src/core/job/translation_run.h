#pragma once

#include <string>
#include <vector>

#include "core/job/job_settings.h"
#include "core/job/run_host.h"
#include "core/support/launcher.h"

namespace korvex {

inline constexpr const char* kEngineProgramName = "korvexe.exe";

// What the Translate command needs of the main window beyond every run's needs.
class TranslationHost : public virtual RunHost {};

enum class TranslationOutcome {
  kNotStarted,  // the output question was cancelled, or a name could not be passed
  kStartFailed,
  kCancelled,   // stopped by the user
  kFailed,      // the engine reported a failure
  kFinished,    // with or without warnings
};

// How the engine is started for the job: in the working directory, waited for while the host
// keeps handling its events, its error output kept for the messages.
LaunchRequest EngineLaunchRequest(const JobSettings& settings, std::string argumentText, RunHost& host);

// The Translate command: asks for the output file, runs the engine on the job in the
// working directory, judges its exit code and turns its log into the run log.
// topStructure is the scan's current top structure.
// jobWarnings (what the job preview warns of) go into the run log after the run record and
// count with the engine's warnings; warningCount, when given, receives that count.
TranslationOutcome RunTranslation(JobSettings& settings, const std::string& topStructure,
                                  Launcher& launcher, TranslationHost& host,
                                  const std::vector<std::string>& jobWarnings = {}, int* warningCount = nullptr);

}  // namespace korvex
