// The commands of the main window.
#include <QAction>
#include <QApplication>
#include <QPrinter>
#include <QStatusBar>
#include <QWhatsThis>

#include "core/job/viewer_launch.h"
#include "core/support/paths.h"
#include "ui/about_dialog.h"
#include "ui/control_panel.h"
#include "ui/file_filters.h"
#include "ui/help_window.h"
#include "ui/job_file_move.h"
#include "ui/main_frame.h"
#include "ui/pentra_view.h"
#include "core/support/product_info.h"
#include "ui/user_prompts.h"

namespace korvex {

bool CMainFrame::RefusedWhileRunning() {
  if (!m_translating && !m_scanning) return false;
  SetStatusText(m_translating ? kRefusedWhileTranslating : kRefusedWhileScanning);
  return true;
}

// A companion's run is on: the window keeps taking events, the Translate button and the Stop
// entry of the Translate menu stop it.
void CMainFrame::SetRunning(bool* flag, bool on) {
  *flag = on;
  Action(Command::StopRun)->setVisible(m_translating || m_scanning);
  ApplyMergeModeTexts();
}

void CMainFrame::OnSelectGdsFile() {
  if (RefusedWhileRunning()) return;
  FileQuestion question;
  question.title = "Select GDS File";
  question.filter = kGdsFileTypes;
  question.defaultExtension = "gds";
  question.initialPath = m_settings.InputFile;
  question.mustExist = true;
  // The button changes the working directory at once and moves no job file.
  const auto workingDir = [this] {
    if (auto chosen = m_prompts.ChooseDirectory(this, m_settings.WorkingDirectory)) m_settings.WorkingDirectory = *chosen;
  };
  if (auto path = m_prompts.ChooseFile(this, question, workingDir)) OpenFile(QString::fromStdString(*path));
}

void CMainFrame::OnSaveLogAs() {
  if (m_settings.LogShown == 0) return;
  FileQuestion question;
  question.filter = kLogFilter;
  question.defaultExtension = "log";
  question.initialPath = m_settings.CurrentLog;
  question.save = true;
  question.confirmOverwrite = true;
  std::optional<std::string> chosen = m_prompts.ChooseFile(this, question);
  if (!chosen) return;
  if (SplitExtension(*chosen).extension.empty()) *chosen = ChangeExtension(*chosen, ".log");
  m_settings.CurrentLog = *chosen;
  QString error;
  if (!m_doc->SaveTo(QString::fromStdString(*chosen), &error)) {
    ShowMessage("", "Cannot save the log as " + *chosen + ".\n" + error.toStdString(), MessageIcon::kWarning);
    return;
  }
  SetFrameTitle(false, {});
}

void CMainFrame::OnPrintLog() {
  if (m_settings.LogShown == 0) return;
  if (m_prompts.ChoosePrinter(this, Printer())) m_view->PrintText(Printer());
}

void CMainFrame::OnPrintSetup() { m_prompts.PageSetup(this, Printer()); }

void CMainFrame::OnControlDialog(bool show) {
  m_settings.ControlDialog = show ? 1 : 0;
  m_panel->setVisible(show);
}

void CMainFrame::OnWorkingDirectory() {
  if (RefusedWhileRunning()) return;
  const std::optional<std::string> chosen = m_prompts.ChooseDirectory(this, m_settings.WorkingDirectory);
  if (!chosen) return;
  const std::string old = m_settings.WorkingDirectory;
  m_settings.WorkingDirectory = *chosen;
  MoveJobFile(old, *chosen, m_settings.InputFile);
}

void CMainFrame::OnGdsViewerDirectory() { ChooseViewer(m_settings, *this); }

void CMainFrame::OnFind() {
  m_findDialog->SetRequest(m_lastFind);
  m_findDialog->show();
  m_findDialog->raise();
  m_findDialog->activateWindow();
}

void CMainFrame::OnFindNext() {
  if (m_lastFind.text.isEmpty()) {
    OnFind();
    return;
  }
  FindAgain(m_lastFind);
}

void CMainFrame::FindAgain(const FindRequest& request) {
  m_lastFind = request;
  if (!m_view->FindText(request.text, request.matchCase, request.down)) {
    ShowMessage("", "Cannot find the string '" + request.text.toStdString() + "'.", MessageIcon::kInformation);
  }
}

void CMainFrame::OnStructure() {
  if (RefusedWhileRunning()) return;
  RunStructureDialog();
}

void CMainFrame::OnConfiguration() {
  if (RefusedWhileRunning()) return;
  if (!RunConfigurationSheet()) return;
  UpdateControlPanel(PanelStateAfterConfiguration(m_settings.MergeMode));
  ApplyMergeModeTexts();
}

void CMainFrame::OnLayerMapping() {
  if (RefusedWhileRunning()) return;
  RunLayerMappingDialog();
}

void CMainFrame::OnTypeMapping() {
  if (RefusedWhileRunning()) return;
  RunTypeMappingDialog();
}

void CMainFrame::OnStructureMapping() {
  if (RefusedWhileRunning()) return;
  RunStructureMappingDialog();
}

void CMainFrame::OnPolygonFiltering() {
  if (RefusedWhileRunning()) return;
  RunPolygonFilteringDialog();
}

void CMainFrame::OnTranslate() {
  if (RefusedWhileRunning()) return;
  SetRunning(&m_translating, true);
  RunTranslation(m_settings, m_scan.TopStructure, m_launcher, *this, CurrentJobWarnings());
  SetRunning(&m_translating, false);
}

void CMainFrame::OnViewGdsInput() { ViewGdsInput(m_settings, m_scan.TopStructure, m_launcher, *this); }

void CMainFrame::OnViewGdsOutput() { ViewGdsOutput(m_settings, m_launcher, *this); }

void CMainFrame::OnPanelButton(PanelButton button) {
  switch (button) {
    case PanelButton::kSelectGdsFile: OnSelectGdsFile(); break;
    case PanelButton::kStructure: OnStructure(); break;
    case PanelButton::kConfiguration: OnConfiguration(); break;
    case PanelButton::kLayerMapping: OnLayerMapping(); break;
    case PanelButton::kTypeMapping: OnTypeMapping(); break;
    case PanelButton::kStructureMapping: OnStructureMapping(); break;
    case PanelButton::kPolygonFiltering: OnPolygonFiltering(); break;
    case PanelButton::kTranslate:
      // While a companion runs this button reads "Stop".
      if (m_translating || m_scanning) m_launcher.Stop();
      else OnTranslate();
      break;
    case PanelButton::kViewGdsInput: OnViewGdsInput(); break;
    case PanelButton::kViewGdsOutput: OnViewGdsOutput(); break;
    case PanelButton::kQuit: close(); break;
  }
}

void CMainFrame::OnWebPage() {
  const std::string address = ProductPageAddress();
  if (!m_prompts.OpenWebPage(address)) ShowMessage("", WebPageFailureMessage(address), MessageIcon::kWarning);
}

void CMainFrame::OnHelpIndex() { HelpWindow().ShowPlace({kProgramHelpPage, {}}); }

void CMainFrame::OnInstallationHelp() { HelpWindow().ShowPlace({kInstallationHelpPage, {}}); }

void CMainFrame::OnUsingHelp() { HelpWindow().ShowPlace(UsingHelpPlace()); }

void CMainFrame::OnContextHelp() {
  // Windows announce their help context in a property; the main window has none of its own.
  const QWidget* active = QApplication::activeWindow();
  const QVariant context = active != nullptr ? active->property("helpContext") : QVariant();
  ShowContextHelp(context.isValid() ? context.toUInt() : kHelpContextMainWindow);
}

void CMainFrame::OnAbout() {
  CAboutDialog about(this);
  about.exec();
}

}  // namespace korvex
