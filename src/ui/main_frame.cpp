#include "ui/main_frame.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QStatusBar>

#include "core/job/settings_io.h"
#include "core/support/frame_title.h"
#include "core/support/platform.h"
#include "ui/placement_adapter.h"

namespace korvex {

CMainFrame::CMainFrame(JobSettings& settings, QWidget* parent) : QMainWindow(parent), m_settings(settings) {
  resize(800, 600);
  WidgetPlacement placement(this);
  ProfileStore store;
  LoadSettings(m_settings, store, &placement, RunningProgramPath());

  auto* view = new QPlainTextEdit(this);
  view->setReadOnly(true);
  setCentralWidget(view);
  statusBar()->showMessage(tr("For Help, press F1"));
  statusBar()->setVisible(m_settings.Statusbar != 0);
  setWindowTitle(QString::fromStdString(ComposeFrameTitle("KORVEX", false, {})));
}

void CMainFrame::OpenFile(const QString& path) {
  m_requestedFile = path;
  statusBar()->showMessage(path);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  WidgetPlacement placement(this);
  ProfileStore store;
  SaveSettings(m_settings, store, &placement, statusBar()->isVisible(), false);
  event->accept();
}

}  // namespace korvex
