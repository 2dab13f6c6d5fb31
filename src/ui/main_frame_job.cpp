// Job files and the job preview.
#include <QByteArray>

#include "core/job/dry_run.h"
#include "core/job/engine_arguments.h"
#include "core/job/job_file.h"
#include "core/job/output_proposal.h"
#include "core/preview/job_preview.h"
#include "core/preview/job_warnings.h"
#include "core/support/exit_status.h"
#include "core/support/paths.h"
#include "core/support/side_file_path.h"
#include "ui/main_frame.h"
#include "ui/panel_rules.h"
#include "ui/pentra_view.h"
#include "ui/user_prompts.h"

namespace korvex {
namespace {

std::string StructureMapOf(const JobSettings& settings) { return JoinPath(settings.WorkingDirectory, kStructureMapName); }

FileQuestion JobQuestion(const std::string& initialPath, bool save) {
  FileQuestion question;
  question.title = save ? "Save Job As" : "Open Job";
  question.filter = kJobFileFilter;
  question.defaultExtension = "kjob";
  question.initialPath = initialPath;
  question.save = save;
  question.confirmOverwrite = save;
  question.mustExist = !save;
  return question;
}

}  // namespace

std::vector<std::string> CMainFrame::CurrentJobWarnings() const {
  if (m_settings.InputFile.empty() || m_scan.ScannedFile != m_settings.InputFile) return {};
  return JobWarnings(m_settings, m_scan, ReadStructureMapLines(StructureMapOf(m_settings)));
}

void CMainFrame::OnOpenJob() {
  if (RefusedWhileRunning()) return;
  const std::string start = m_settings.InputFile.empty()
                                ? std::string()
                                : SideFilePath(m_settings.WorkingDirectory, m_settings.InputFile, kJobExtension);
  if (const auto chosen = m_prompts.ChooseFile(this, JobQuestion(start, false))) OpenJobFile(*chosen);
}

bool CMainFrame::OpenJobFile(const std::string& path) {
  if (RefusedWhileRunning()) return false;
  const JobFileRead read = ReadJobFile(path);
  if (!read.ok) {
    ShowMessage("", read.error, MessageIcon::kWarning);
    return false;
  }
  if (!SaveModified()) return false;
  // The scan runs in the job's working directory; a failed one leaves ours as it was.
  const std::string workingDirectory = m_settings.WorkingDirectory;
  m_settings.WorkingDirectory = read.job.settings.WorkingDirectory;
  SetRunning(&m_scanning, true);
  const bool scanned = RunScan(read.job.settings.InputFile, m_settings, m_scan, m_launcher, *this);
  SetRunning(&m_scanning, false);
  if (!scanned) {
    m_settings.WorkingDirectory = workingDirectory;
    return false;
  }
  ShowFileInView(m_scan.ReportFile);
  SetFrameTitle(true, m_settings.InputFile);
  const std::string topProblem = ApplyJob(read.job, m_settings, m_scan);
  if (!topProblem.empty()) ShowMessage("", topProblem + "\nThe scan's top structure is kept.", MessageIcon::kWarning);
  const std::string mapProblem = WriteStructureMapLines(StructureMapOf(m_settings), read.job.structureMap);
  if (!mapProblem.empty()) ShowMessage("", mapProblem, MessageIcon::kWarning);
  UpdateControlPanel(PanelStateAfterConfiguration(m_settings.MergeMode));
  ApplyMergeModeTexts();
  SetStatusText("Job " + path + " opened");
  return true;
}

void CMainFrame::OnSaveJobAs() {
  if (m_settings.InputFile.empty()) {
    ShowMessage("", "There is no job to save yet: select a GDS file first.", MessageIcon::kInformation);
    return;
  }
  const std::string proposal = SideFilePath(m_settings.WorkingDirectory, m_settings.InputFile, kJobExtension);
  std::optional<std::string> chosen = m_prompts.ChooseFile(this, JobQuestion(proposal, true));
  if (!chosen) return;
  if (SplitExtension(*chosen).extension.empty()) *chosen = ChangeExtension(*chosen, kJobExtension);
  const std::string problem = WriteJobFile(*chosen, m_settings, m_scan.TopStructure,
                                           ReadStructureMapLines(StructureMapOf(m_settings)));
  if (!problem.empty()) {
    ShowMessage("", problem, MessageIcon::kWarning);
    return;
  }
  SetStatusText("Job saved as " + *chosen);
}

void CMainFrame::OnPreviewJob() {
  if (RefusedWhileRunning()) return;
  if (m_settings.InputFile.empty() || m_scan.ScannedFile != m_settings.InputFile) {
    ShowMessage("", "There is no job to preview yet: select a GDS file first.", MessageIcon::kInformation);
    return;
  }
  PreviewInputs inputs;
  inputs.structureMap = ReadStructureMapLines(StructureMapOf(m_settings));
  inputs.warnings = CurrentJobWarnings();
  SetStatusText("Previewing the job...");
  SetRunning(&m_translating, true);
  const DryRunResult dry = RunDryRun(m_settings, m_scan.TopStructure, m_launcher, *this);
  SetRunning(&m_translating, false);
  if (dry.started && dry.launch.exitCode == kExitCancelled) {
    SetStatusText("Preview cancelled");
    return;
  }
  inputs.engineRan = dry.started;
  inputs.engineExitCode = dry.launch.exitCode;
  inputs.engineLog = dry.log;
  inputs.outputFile = dry.outputFile;
  ShowTextInView(JobPreviewText(m_settings, m_scan, inputs));
  if (!dry.started || dry.launch.exitCode < 0) {
    SetStatusText("Preview failed: see the engine's log at the end");
  } else {
    SetStatusText("Preview finished: " + std::to_string(inputs.warnings.size()) + " job warnings, " +
                  std::to_string(dry.launch.exitCode) + " from the engine");
  }
}

void CMainFrame::ShowTextInView(const std::string& text) {
  if (!SaveModified()) return;
  OnNewDocument();
  m_doc->ShowBytes(QByteArray::fromStdString(text));
  m_view->setReadOnly(true);
  m_settings.LogShown = 1;
  UpdateLogCommands();
}

}  // namespace korvex
