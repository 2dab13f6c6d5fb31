// What the scan and translation runs ask of the main window.
#include <QAction>
#include <QApplication>
#include <QStatusBar>

#include "core/job/job_file.h"
#include "core/support/frame_title.h"
#include "core/support/log_view_limit.h"
#include "core/support/paths.h"
#include "core/support/platform.h"
#include "core/support/text_file.h"
#include "ui/control_panel.h"
#include "ui/editor_hand_over.h"
#include "ui/main_frame.h"
#include "ui/pentra_view.h"
#include "ui/pictures.h"
#include "ui/user_prompts.h"

namespace korvex {

bool CMainFrame::OpenFile(const QString& path) {
  if (RefusedWhileRunning()) return false;
  // A job file, named on the command line, dropped or picked, sets up its whole job.
  if (SameExtension(SplitExtension(path.toStdString()).extension, kJobExtension)) return OpenJobFile(path.toStdString());
  // Asked before the scan, so a cancelled question leaves everything as it was.
  if (!SaveModified()) return false;
  SetRunning(&m_scanning, true);
  const bool opened = korvex::OpenFile(path.toStdString(), m_settings, m_scan, m_launcher, *this);
  SetRunning(&m_scanning, false);
  return opened;
}

void CMainFrame::OnNewDocument() {
  m_doc->DeleteContents();
  SetFrameTitle(false, {});
  m_settings.LogShown = 0;
  m_partialView = false;
  UpdateLogCommands();
}

bool CMainFrame::SaveModified() {
  if (!m_doc->IsModified()) return true;
  const QString name = m_doc->PathName().isEmpty() ? tr("the log") : m_doc->PathName();
  switch (m_prompts.AskSaveChanges(this, "Save changes to " + name.toStdString() + "?")) {
    case SaveAnswer::Cancel: return false;
    case SaveAnswer::Discard: m_view->document()->setModified(false); return true;
    case SaveAnswer::Save: break;
  }
  QString error;
  if (m_doc->SaveTo(m_doc->PathName(), &error)) return true;
  ShowMessage("", "Cannot save " + name.toStdString() + ".\n" + error.toStdString(), MessageIcon::kWarning);
  return false;
}

bool CMainFrame::OpenLogFile(const std::string& path) {
  std::unique_ptr<CTextFile> file = CTextFile::Open(path);
  if (!file) {
    ShowMessage("", "Cannot open " + path + ".\n" + std::strerror(errno), MessageIcon::kWarning);
    return false;
  }
  const auto start = [this](const std::vector<std::string>& argv) { return m_prompts.StartDetached(argv); };
  const ViewChoice choice = ShowInViewOrEditor(*file, start);
  if (choice == ViewChoice::kEditor) {
    m_settings.LogShown = 0;
    UpdateLogCommands();
    return false;
  }
  file->Close();
  const bool partial = choice == ViewChoice::kPartialView;
  if (partial) {
    ShowMessage("", "The file " + path + " is too large for the view, and no editor could be started to show it.\n"
                    "Its first 64 MB are shown, read-only.", MessageIcon::kWarning);
  }
  if (!SaveModified()) return false;
  OnNewDocument();
  QString error;
  const qint64 limit = partial ? static_cast<qint64>(LogViewLimit(GetPlatformKind())) : -1;
  if (!m_doc->OnOpenDocument(QString::fromStdString(path), &error, limit)) {
    ShowMessage("", "Cannot open " + path + ".\n" + error.toStdString(), MessageIcon::kWarning);
    return false;
  }
  m_view->setReadOnly(partial || SameExtension(SplitExtension(path).extension, ".ssn"));
  m_settings.LogShown = 1;
  m_partialView = partial;  // saving a part over the whole would lose the rest
  UpdateLogCommands();
  return true;
}

void CMainFrame::SetStatusText(const std::string& text) {
  m_statusText = QString::fromStdString(text);
  statusBar()->showMessage(m_statusText);
  UpdateTopStructureIndicator();  // a scan ends with a status text
}

void CMainFrame::ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) {
  m_prompts.Message(this, caption.empty() ? std::string(kAppTitle) : caption, text, icon);
}

std::optional<std::string> CMainFrame::ChooseFile(const FileQuestion& question) {
  return m_prompts.ChooseFile(this, question);
}

void CMainFrame::ShowWaitCursor(bool on) {
  if (on) {
    QApplication::setOverrideCursor(WaitCursor());
    ++m_waitCursors;
  } else {
    for (; m_waitCursors > 0; --m_waitCursors) QApplication::restoreOverrideCursor();
  }
}

void CMainFrame::FocusMainWindow() {
  activateWindow();
  m_view->setFocus();
}

void CMainFrame::UpdateControlPanel(const std::vector<ButtonState>& states) {
  m_panelEnabling = ApplyButtonStates(m_panelEnabling, states);
  m_panel->SetEnabling(m_panelEnabling);
}

bool CMainFrame::ShowFileInView(const std::string& path) { return OpenLogFile(path); }

void CMainFrame::SetFrameTitle(bool withInput, const std::string& inputFile) {
  setWindowTitle(QString::fromStdString(ComposeFrameTitle(kAppTitle, withInput, inputFile)));
}

void CMainFrame::CloseStructureWindows() { CloseStructureDialogs(); }

void CMainFrame::EmptyLogView() {
  m_view->document()->setModified(false);  // the question was asked before the scan began
  OnNewDocument();
}

void CMainFrame::AddToRecentFiles(const std::string& path) {
  m_recent.Add(path);
  SaveRecentFiles();
  RebuildRecentFileMenu();
}

void CMainFrame::PumpMessages() { QApplication::processEvents(QEventLoop::AllEvents, 5); }

}  // namespace korvex
