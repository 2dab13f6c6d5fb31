#include "core/job/scan_run.h"

#include <unistd.h>

#include "core/job/companion_start.h"
#include "core/job/control_panel_state.h"
#include "core/support/argument_text.h"
#include "core/support/exit_status.h"
#include "core/support/file_io.h"
#include "core/support/paths.h"
#include "core/support/side_file_path.h"

namespace korvex {
namespace {

constexpr const char* kScanFailed = "Failed Scanning GDS File";
constexpr const char* kScanCancelled = "Scan cancelled";

std::string JoinFirst(const std::vector<std::string>& entries, std::int32_t count) {
  std::string joined;
  for (std::int32_t i = 0; i < count && i < static_cast<std::int32_t>(entries.size()); ++i) {
    if (i > 0) joined += ',';
    joined += entries[static_cast<std::size_t>(i)];
  }
  return joined;
}

// What a scan may change, so that a failed one can put everything back.
struct Remembered {
  std::string inputFile;
  std::string scannedFile;
  std::string workingDirectory;
};

}  // namespace

std::string ScannerArguments(const std::string& inputFile, const std::string& reportPath) {
  return QuoteArgument(inputFile) + " -sh -sea -elmcnt -dtp " + QuoteArgument("-o:" + reportPath);
}

std::string ScanFinishedText(const ScanReportRead& read) {
  std::string text = "Finished Scanning GDS File";
  std::vector<std::string> lost;
  if (read.structuresDropped > 0) lost.push_back(std::to_string(read.structuresDropped) + " structures");
  if (read.layersDropped > 0) lost.push_back(std::to_string(read.layersDropped) + " layers");
  if (read.datatypesDropped > 0) lost.push_back(std::to_string(read.datatypesDropped) + " datatypes");
  if (!lost.empty()) {
    text += " (report too large, left out: ";
    for (std::size_t i = 0; i < lost.size(); ++i) text += (i > 0 ? ", " : "") + lost[i];
    text += ')';
  }
  if (!read.damage.empty()) text += " (damaged input: see the report)";
  if (read.extentsSaturated > 0) {
    text += "; extents beyond the 32-bit range shown saturated (" + std::to_string(read.extentsSaturated) +
            (read.extentsSaturated == 1 ? " structure)" : " structures)");
  }
  return text;
}

bool RunScan(const std::string& path, JobSettings& settings, ScanResult& scan, Launcher& launcher,
             ScanHost& host) {
  host.CloseStructureWindows();
  const Remembered before{settings.InputFile, scan.ScannedFile, settings.WorkingDirectory};
  const auto fail = [&](const std::string& message) {
    if (!message.empty()) host.ShowMessage("", message, MessageIcon::kWarning);
    settings.InputFile = before.inputFile;
    scan.ScannedFile = before.scannedFile;
    settings.WorkingDirectory = before.workingDirectory;
    host.ShowWaitCursor(false);
    host.FocusMainWindow();
    host.SetStatusText(kScanFailed);
    return false;
  };

  settings.InputFile = path;
  scan.ScannedFile = path;
  if (settings.WorkingDirectory.empty()) settings.WorkingDirectory = SplitPathName(path).directory;
  host.SetStatusText("Scanning GDS File...");

  LaunchRequest request;
  request.program = JoinPath(settings.ProgramDirectory, kScannerProgramName);
  request.workingDirectory = settings.WorkingDirectory;
  const std::string reportPath = SideFilePath(settings.WorkingDirectory, path, ".ssn");
  request.argumentText = ScannerArguments(path, reportPath);
  request.wait = true;
  request.captureErrors = true;
  // The window repaints and takes Stop meanwhile; commands that would change the job wait.
  request.pump = [&host] { host.PumpMessages(); };
  if (!CheckQuotedNames(host, {path, reportPath})) return fail("");
  if (SameFile(path, reportPath)) {
    return fail("The scan report " + reportPath + " would overwrite the input file " + path + ".");
  }

  host.ShowWaitCursor(true);
  const LaunchResult result =
      RunWithProgress(launcher, host, request, {"Scanning " + SplitPathName(path).name, false});
  if (result.code != kLaunchStarted) return fail("");
  host.FocusMainWindow();
  if (result.exitCode == kExitCancelled) {
    // Stopped: a failed scan that changed nothing, the earlier report kept.
    fail("");
    host.SetStatusText(kScanCancelled);
    return false;
  }
  if (result.exitCode != 0) return fail(WithReason("Error occurred in scanning file " + path + ".", result));

  ResetScanResult(scan);
  if (scan.ReportFile != reportPath && FileExists(scan.ReportFile)) ::unlink(scan.ReportFile.c_str());
  host.EmptyLogView();
  const ScanReportRead read = ReadScanReport(scan, reportPath);
  if (!read.opened) {
    // The new file is taken by now; only the report is missing.
    host.ShowMessage("", "The scan report " + reportPath + " cannot be opened.", MessageIcon::kWarning);
    host.ShowWaitCursor(false);
    host.SetStatusText(kScanFailed);
    return false;
  }
  scan.ReportFile = reportPath;
  settings.LayerList = JoinFirst(scan.Layers, scan.LayerCount);
  settings.DatatypeList = JoinFirst(scan.Datatypes, scan.DatatypeCount);
  host.SetStatusText(ScanFinishedText(read));
  if (!read.damage.empty()) {
    host.ShowMessage("", "The input " + path + " is damaged:\n" + read.damage, MessageIcon::kWarning);
  }
  host.UpdateControlPanel(PanelStateAfterScan(settings.MergeMode));
  host.AddToRecentFiles(settings.InputFile);
  host.ShowWaitCursor(false);
  return true;
}

bool OpenFile(const std::string& path, JobSettings& settings, ScanResult& scan, Launcher& launcher,
              ScanHost& host) {
  std::string shown = path;
  if (!SameExtension(SplitExtension(path).extension, ".log")) {
    if (!RunScan(path, settings, scan, launcher, host)) return false;
    shown = scan.ReportFile;
  }
  const bool inView = host.ShowFileInView(shown);
  host.SetFrameTitle(true, settings.InputFile);
  return inView;
}

}  // namespace korvex
