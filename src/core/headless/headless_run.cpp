#include "core/headless/headless_run.h"

#include <csignal>
#include <fstream>

#include "core/job/companion_start.h"
#include "core/job/dry_run.h"
#include "core/job/engine_arguments.h"
#include "core/job/job_file.h"
#include "core/job/scan_run.h"
#include "core/job/translation_run.h"
#include "core/preview/job_preview.h"
#include "core/preview/job_warnings.h"
#include "core/support/exit_status.h"
#include "core/support/paths.h"
#include "core/support/replace_file.h"

namespace korvex {
namespace {

volatile std::sig_atomic_t g_stopRequested = 0;

extern "C" void RequestStop(int) { g_stopRequested = 1; }

// Catches SIGINT and SIGTERM for the length of a run: the run stops its companion itself.
class StopSignals {
 public:
  StopSignals() {
    g_stopRequested = 0;
    struct sigaction action = {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &m_oldInt);
    ::sigaction(SIGTERM, &action, &m_oldTerm);
  }
  ~StopSignals() {
    ::sigaction(SIGINT, &m_oldInt, nullptr);
    ::sigaction(SIGTERM, &m_oldTerm, nullptr);
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

 private:
  struct sigaction m_oldInt = {};
  struct sigaction m_oldTerm = {};
};

// The window's part in a run, played on the standard streams: messages become error lines
// that name the job file, the run log is printed, every question is answered by the job.
class StreamHost : public ScanHost, public TranslationHost {
 public:
  StreamHost(std::string jobPath, std::ostream& out, std::ostream& err, Launcher& launcher)
      : m_jobPath(std::move(jobPath)), m_out(out), m_err(err), m_launcher(launcher) {}

  void Refuse(const std::string& reason) { m_err << "korvex: " << m_jobPath << ": " << reason << "\n"; }
  void SetOutputFile(std::string path) { m_outputFile = std::move(path); }

  void PumpMessages() override {
    if (g_stopRequested != 0) m_launcher.Stop();
  }
  void SetStatusText(const std::string&) override {}
  void ShowMessage(const std::string& caption, const std::string& text, MessageIcon) override {
    Refuse(caption.empty() ? text : caption + ": " + text);
  }
  // The output question is answered by the job: its OutputFile, or the proposal.
  std::optional<std::string> ChooseFile(const FileQuestion& question) override {
    return m_outputFile.empty() ? question.initialPath : m_outputFile;
  }
  void ShowWaitCursor(bool) override {}
  void FocusMainWindow() override {}
  void UpdateControlPanel(const std::vector<ButtonState>&) override {}
  bool ShowFileInView(const std::string& path) override {
    std::ifstream in(path, std::ios::binary);
    m_out << in.rdbuf();
    m_out.flush();
    return true;
  }
  void SetFrameTitle(bool, const std::string&) override {}
  // Nobody watches a headless run; its log tells what was done.
  void ShowProgress(const ProgressDisplay&) override {}
  void HideProgress() override {}
  void CloseStructureWindows() override {}
  void EmptyLogView() override {}
  void AddToRecentFiles(const std::string&) override {}

 private:
  std::string m_jobPath;
  std::ostream& m_out;
  std::ostream& m_err;
  Launcher& m_launcher;
  std::string m_outputFile;
};

int RunDry(const JobSettings& settings, const ScanResult& scan, const std::vector<std::string>& structureMap,
           std::vector<std::string> warnings, Launcher& launcher, StreamHost& host, std::ostream& out) {
  const DryRunResult dry = RunDryRun(settings, scan.TopStructure, launcher, host);
  if (dry.started && dry.launch.exitCode == kExitCancelled) return kHeadlessStopped;
  PreviewInputs inputs;
  inputs.structureMap = structureMap;
  inputs.warnings = std::move(warnings);
  inputs.engineRan = dry.started;
  inputs.engineExitCode = dry.launch.exitCode;
  inputs.engineLog = dry.log;
  inputs.outputFile = dry.outputFile;
  out << JobPreviewText(settings, scan, inputs);
  out.flush();
  if (!dry.started) return kHeadlessRefused;
  if (dry.launch.exitCode < 0) {
    host.Refuse(WithReason("the dry run of " + settings.InputFile + " failed.", dry.launch));
    return kHeadlessRefused;
  }
  return dry.launch.exitCode == 0 && inputs.warnings.empty() ? kHeadlessClean : kHeadlessWarnings;
}

int RunJob(const HeadlessRequest& request, const std::string& programDirectory, StreamHost& host,
           Launcher& launcher, std::ostream& out, JobSettings& settings, ScanResult& scan) {
  const JobFileRead read = ReadJobFile(request.jobPath);
  if (!read.ok) {
    host.Refuse(read.error);
    return kHeadlessRefused;
  }
  const JobFile& job = read.job;
  settings.ProgramDirectory = programDirectory;
  settings.WorkingDirectory = job.settings.WorkingDirectory;
  if (!FileExists(job.settings.InputFile) || DirectoryExists(job.settings.InputFile)) {
    host.Refuse("the input file " + job.settings.InputFile + " does not exist.");
    return kHeadlessRefused;
  }
  if (!DirectoryExists(settings.WorkingDirectory)) {
    host.Refuse("the working directory " + settings.WorkingDirectory + " does not exist.");
    return kHeadlessRefused;
  }
  const bool scanned = RunScan(job.settings.InputFile, settings, scan, launcher, host);
  if (g_stopRequested != 0) return kHeadlessStopped;
  if (!scanned) return kHeadlessRefused;
  const std::string refused = ApplyJob(job, settings, scan);
  if (!refused.empty()) {
    host.Refuse(refused);
    return kHeadlessRefused;
  }
  const std::string mapError =
      WriteStructureMapLines(JoinPath(settings.WorkingDirectory, kStructureMapName), job.structureMap);
  if (!mapError.empty()) {
    host.Refuse(mapError);
    return kHeadlessRefused;
  }
  host.SetOutputFile(settings.OutputFile);
  std::vector<std::string> warnings = JobWarnings(settings, scan, job.structureMap);
  if (request.dryRun) return RunDry(settings, scan, job.structureMap, std::move(warnings), launcher, host, out);

  int warningCount = 0;
  switch (RunTranslation(settings, scan.TopStructure, launcher, host, warnings, &warningCount)) {
    case TranslationOutcome::kFinished: return warningCount > 0 ? kHeadlessWarnings : kHeadlessClean;
    case TranslationOutcome::kCancelled: return kHeadlessStopped;
    default: return g_stopRequested != 0 ? kHeadlessStopped : kHeadlessRefused;
  }
}

}  // namespace

std::optional<HeadlessRequest> ParseHeadlessArguments(const std::vector<std::string>& arguments,
                                                      std::string& usageError) {
  if (arguments.empty() || arguments[0] != "--run") return std::nullopt;
  HeadlessRequest request;
  usageError.clear();
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == "--dry-run") {
      request.dryRun = true;
    } else if (request.jobPath.empty() && !arguments[i].empty()) {
      request.jobPath = arguments[i];
    } else {
      usageError = "unexpected argument " + arguments[i];
    }
  }
  if (request.jobPath.empty()) usageError = "no job file named";
  if (!usageError.empty()) usageError = "korvex: " + usageError + "\nusage: korvex --run JOB.kjob [--dry-run]";
  return request;
}

int RunHeadless(const HeadlessRequest& request, const std::string& programDirectory, std::ostream& out,
                std::ostream& err) {
  const StopSignals signals;
  Launcher launcher;
  StreamHost host(request.jobPath, out, err, launcher);
  JobSettings settings;
  ScanResult scan;
  const int status = RunJob(request, programDirectory, host, launcher, out, settings, scan);
  // As in the window: only the newest scan report is kept, and only while the program runs.
  if (!scan.ReportFile.empty()) RemoveFileIfPresent(scan.ReportFile);
  return g_stopRequested != 0 ? kHeadlessStopped : status;
}

}  // namespace korvex
