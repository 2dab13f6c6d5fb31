#include "core/job/translation_run.h"

#include <chrono>
#include <ctime>

#include "core/job/companion_start.h"
#include "core/job/control_panel_state.h"
#include "core/job/engine_arguments.h"
#include "core/job/output_proposal.h"
#include "core/job/run_log.h"
#include "core/support/exit_status.h"
#include "core/support/paths.h"
#include "core/support/side_file_path.h"

namespace korvex {
namespace {

constexpr const char* kTranslationFailed = "Translation failed";
constexpr const char* kEngineError = "Error occurred in translating GDS file.";

std::tm LocalTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  return local;
}

// The job's own warnings, one "Warning:" line each, closed by an empty line.
std::string JobWarningLines(const std::vector<std::string>& warnings) {
  std::string lines;
  for (const std::string& warning : warnings) lines.append("Warning: ").append(warning).append("\r\n");
  if (!lines.empty()) lines += "\r\n";
  return lines;
}

}  // namespace

LaunchRequest EngineLaunchRequest(const JobSettings& settings, std::string argumentText, RunHost& host) {
  LaunchRequest request;
  request.program = JoinPath(settings.ProgramDirectory, kEngineProgramName);
  request.workingDirectory = settings.WorkingDirectory;
  request.argumentText = std::move(argumentText);
  request.wait = true;
  request.captureErrors = true;
  request.pump = [&host] { host.PumpMessages(); };
  return request;
}

TranslationOutcome RunTranslation(JobSettings& settings, const std::string& topStructure,
                                  Launcher& launcher, TranslationHost& host,
                                  const std::vector<std::string>& jobWarnings, int* warningCount) {
  host.SetStatusText("");
  settings.OutputFile = ProposeOutputFile(settings.InputFile, settings.OutputFile, settings.WorkingDirectory);
  const std::optional<std::string> chosen = host.ChooseFile(OutputFileQuestion(settings.OutputFile));
  if (!chosen) return TranslationOutcome::kNotStarted;
  settings.OutputFile = CompleteOutputName(*chosen);

  const bool structureMapExists = FileExists(JoinPath(settings.WorkingDirectory, kStructureMapName));
  const EngineArguments arguments = BuildEngineArguments(settings, topStructure, structureMapExists);
  if (!CheckQuotedNames(host, arguments.quotedNames)) {
    host.SetStatusText(kTranslationFailed);
    return TranslationOutcome::kNotStarted;
  }
  if (settings.DebugMode != 0) host.ShowMessage("", arguments.text, MessageIcon::kInformation);

  // Taken now: the window handles commands while the engine runs.
  const std::string logPath = SideFilePath(settings.WorkingDirectory, settings.InputFile, ".log");
  const std::string copyPath = SideFilePath(settings.WorkingDirectory, settings.InputFile, ".lg2");
  const std::string outputFile = settings.OutputFile;

  const auto start = std::chrono::steady_clock::now();
  const LaunchResult result = StartCompanion(launcher, host, EngineLaunchRequest(settings, arguments.text, host));
  if (result.code != kLaunchStarted) {
    host.SetStatusText(kTranslationFailed);
    return TranslationOutcome::kStartFailed;
  }
  if (result.exitCode == kExitCancelled) {
    host.SetStatusText("Translation cancelled");
    // The stopped run's own log, as the engine left it ("Cancelled by user" and what was done),
    // replaces the previous run's in the view.
    if (FileExists(logPath) && host.ShowFileInView(logPath)) settings.CurrentLog = logPath;
    host.FocusMainWindow();
    return TranslationOutcome::kCancelled;
  }

  const long elapsedSeconds = static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count() / 1000);
  const std::tm endTime = LocalTimeNow();
  host.FocusMainWindow();
  const bool logExists = FileExists(logPath);

  TranslationOutcome outcome = TranslationOutcome::kFinished;
  if (result.exitCode < 0) {
    outcome = TranslationOutcome::kFailed;
    if (!logExists) {
      host.ShowMessage("", WithReason(kEngineError, result), MessageIcon::kWarning);
      host.SetStatusText(kTranslationFailed);
      return outcome;
    }
    host.ShowMessage("", WithReason(kEngineError, result) + "\nPlease refer to log file for more information.",
                     MessageIcon::kWarning);
    host.SetStatusText(kTranslationFailed);
  } else {
    host.SetStatusText("Translation finished");
    host.UpdateControlPanel(PanelStateAfterTranslation());
    const int warnings = result.exitCode + static_cast<int>(jobWarnings.size());
    if (warningCount != nullptr) *warningCount = warnings;
    if (warnings > 0) {
      host.ShowMessage("", std::to_string(warnings) +
                               " warnings/errors are detected in the translation.\n"
                               "Refer to log file for more information.",
                       MessageIcon::kInformation);
    }
  }

  if (logExists) {
    const std::string header =
        kRunLogBanner + FormatRunRecord(outputFile, endTime, elapsedSeconds) + JobWarningLines(jobWarnings);
    const int error = WriteRunLog(logPath, copyPath, header);
    if (error != 0) {
      host.ShowMessage("", RunLogErrorMessage(error), MessageIcon::kWarning);
    } else if (host.ShowFileInView(logPath)) {
      settings.CurrentLog = logPath;
    }
  } else {
    host.ShowMessage("", "Error occurred in generating log file " + logPath + ".", MessageIcon::kWarning);
  }
  host.SetFrameTitle(true, settings.InputFile);
  host.ShowWaitCursor(false);
  host.FocusMainWindow();
  return outcome;
}

}  // namespace korvex
