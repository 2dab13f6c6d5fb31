#include "ui/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QWhatsThis>
#include <QWindow>

#include <cstdio>

#include "core/job/settings_io.h"
#include "core/support/paths.h"
#include "core/support/platform.h"
#include "ui/control_panel.h"
#include "ui/lock_indicators.h"
#include "ui/pentra_view.h"
#include "ui/pictures.h"
#include "ui/placement_adapter.h"
#include "ui/user_prompts.h"

namespace korvex {

CMainFrame::CMainFrame(JobSettings& settings, ScanResult& scan, UserPrompts& prompts, QWidget* parent)
    : QMainWindow(parent),
      m_settings(settings),
      m_scan(scan),
      m_prompts(prompts),
      m_panelEnabling(InitialPanelEnabling()),
      m_statusText(kIdleText) {
  resize(800, 600);
  DeferredPlacement placement(this);
  {
    ProfileStore store;
    LoadSettings(m_settings, store, &placement, RunningProgramPath());
    if (store.Open(kStoreName)) m_recent.Load(store);
  }
  setWindowIcon(ProgramIcon());
  m_view = new CPentraView(this);
  m_doc = std::make_unique<CPentraDoc>(m_view);
  setCentralWidget(m_view);
  m_findDialog = new CFindDialog(this);
  connect(m_findDialog, &CFindDialog::FindNext, this, &CMainFrame::FindAgain);

  CreateActions();
  CreateMenus();
  CreateToolBar();
  CreateStatusBar();
  CreateControlPanel();
  ApplyMergeModeTexts();
  // Files dropped anywhere on the window are opened, never pasted into the log as text.
  m_view->setAcceptDrops(false);
  setAcceptDrops(true);
  OnNewDocument();
  placement.Apply();
}

CMainFrame::~CMainFrame() = default;

QAction* CMainFrame::AddAction(Command command, const char* slot) {
  const CommandText& text = TextOf(command);
  auto* action = new QAction(QString::fromUtf8(text.menuText), this);
  action->setStatusTip(QString::fromStdString(StatusPrompt(text.prompt)));
  const std::string tip = ToolTipPrompt(text.prompt);
  if (!tip.empty()) action->setToolTip(QString::fromStdString(tip));
  action->setWhatsThis(QString::fromStdString(StatusPrompt(text.prompt)));
  QList<QKeySequence> keys;
  for (const char* key : text.keys) keys << QKeySequence(QString::fromLatin1(key));
  action->setShortcuts(keys);
  if (slot != nullptr) connect(action, SIGNAL(triggered()), this, slot);
  addAction(action);  // its keys work even while its menu entry is absent
  m_actions[command] = action;
  return action;
}

QAction* CMainFrame::Action(Command command) const {
  const auto it = m_actions.find(command);
  return it == m_actions.end() ? nullptr : it->second;
}

void CMainFrame::CreateActions() {
  AddAction(Command::SelectGdsFile, SLOT(OnSelectGdsFile()));
  AddAction(Command::OpenJob, SLOT(OnOpenJob()));
  AddAction(Command::SaveJobAs, SLOT(OnSaveJobAs()));
  AddAction(Command::SaveLogAs, SLOT(OnSaveLogAs()));
  AddAction(Command::PrintLog, SLOT(OnPrintLog()));
  AddAction(Command::PrintSetup, SLOT(OnPrintSetup()));
  AddAction(Command::Toolbar);
  QAction* statusBarAction = AddAction(Command::StatusBar);
  statusBarAction->setCheckable(true);
  connect(statusBarAction, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });
  QAction* panel = AddAction(Command::ControlDialog);
  panel->setCheckable(true);
  panel->setChecked(true);
  connect(panel, &QAction::toggled, this, &CMainFrame::OnControlDialog);
  AddAction(Command::WorkingDirectory, SLOT(OnWorkingDirectory()));
  AddAction(Command::GdsViewerDirectory, SLOT(OnGdsViewerDirectory()));
  AddAction(Command::Exit, SLOT(close()));
  QAction* undo = AddAction(Command::Undo);
  connect(undo, &QAction::triggered, m_view, &QPlainTextEdit::undo);
  connect(AddAction(Command::Cut), &QAction::triggered, m_view, &QPlainTextEdit::cut);
  connect(AddAction(Command::Copy), &QAction::triggered, m_view, &QPlainTextEdit::copy);
  connect(AddAction(Command::Paste), &QAction::triggered, m_view, &QPlainTextEdit::paste);
  AddAction(Command::Find, SLOT(OnFind()));
  AddAction(Command::FindNext, SLOT(OnFindNext()));
  AddAction(Command::Structure, SLOT(OnStructure()));
  AddAction(Command::Configuration, SLOT(OnConfiguration()));
  AddAction(Command::LayerMapping, SLOT(OnLayerMapping()));
  AddAction(Command::TypeMapping, SLOT(OnTypeMapping()));
  AddAction(Command::StructureMapping, SLOT(OnStructureMapping()));
  AddAction(Command::PolygonFiltering, SLOT(OnPolygonFiltering()));
  AddAction(Command::Translate, SLOT(OnTranslate()));
  QAction* stop = AddAction(Command::StopRun);
  connect(stop, &QAction::triggered, this, [this] { m_launcher.Stop(); });
  stop->setVisible(false);  // only while a scan or a translation runs
  AddAction(Command::PreviewJob, SLOT(OnPreviewJob()));
  AddAction(Command::ViewGdsInput, SLOT(OnViewGdsInput()));
  AddAction(Command::ViewGdsOutput, SLOT(OnViewGdsOutput()));
  AddAction(Command::WebPage, SLOT(OnWebPage()));
  AddAction(Command::RunningKorvex, SLOT(OnHelpIndex()));
  AddAction(Command::Installation, SLOT(OnInstallationHelp()));
  AddAction(Command::UsingHelp, SLOT(OnUsingHelp()));
  AddAction(Command::About, SLOT(OnAbout()));
  AddAction(Command::ContextHelp, SLOT(OnContextHelp()));
  connect(AddAction(Command::WhatsThis), &QAction::triggered, this, [] { QWhatsThis::enterWhatsThisMode(); });
  connect(AddAction(Command::NextPane), &QAction::triggered, this, [this] { focusNextChild(); });
  connect(AddAction(Command::PreviousPane), &QAction::triggered, this, [this] { focusPreviousChild(); });

  connect(m_view, &QPlainTextEdit::undoAvailable, this, &CMainFrame::UpdateEditCommands);
  connect(m_view, &QPlainTextEdit::copyAvailable, this, &CMainFrame::UpdateEditCommands);
}

void CMainFrame::CreateMenus() {
  m_fileMenu = menuBar()->addMenu(tr("&File"));
  m_fileMenu->addAction(Action(Command::SelectGdsFile));
  m_fileMenu->addAction(Action(Command::OpenJob));
  m_fileMenu->addAction(Action(Command::SaveJobAs));
  m_fileMenu->addSeparator();
  m_fileMenu->addAction(Action(Command::SaveLogAs));
  m_fileMenu->addSeparator();
  m_fileMenu->addAction(Action(Command::PrintLog));
  m_fileMenu->addAction(Action(Command::PrintSetup));
  m_fileMenu->addSeparator();
  m_preferencesMenu = m_fileMenu->addMenu(tr("&Preferences"));
  // The toolbar never shows after start-up, so its entry is left out.
  m_preferencesMenu->addAction(Action(Command::StatusBar));
  m_preferencesMenu->addAction(Action(Command::ControlDialog));
  m_preferencesMenu->addSeparator();
  m_preferencesMenu->addAction(Action(Command::WorkingDirectory));
  m_preferencesMenu->addAction(Action(Command::GdsViewerDirectory));
  m_recentSeparator = m_fileMenu->addSeparator();
  m_fileMenu->addSeparator();
  m_fileMenu->addAction(Action(Command::Exit));
  RebuildRecentFileMenu();

  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  for (Command c : {Command::Undo, Command::Cut, Command::Copy, Command::Paste}) edit->addAction(Action(c));
  if (Action(Command::Undo)) edit->insertSeparator(Action(Command::Cut));
  connect(edit, &QMenu::aboutToShow, this, &CMainFrame::UpdateEditCommands);

  QMenu* search = menuBar()->addMenu(tr("&Search"));
  search->addAction(Action(Command::Find));
  search->addAction(Action(Command::FindNext));

  QMenu* options = menuBar()->addMenu(tr("&Options"));
  for (Command c : {Command::Structure, Command::Configuration, Command::LayerMapping, Command::TypeMapping,
                    Command::StructureMapping, Command::PolygonFiltering}) {
    options->addAction(Action(c));
  }
  m_translateMenu = menuBar()->addMenu(tr("&Translate"));
  m_translateMenu->addAction(Action(Command::Translate));
  m_translateMenu->addAction(Action(Command::PreviewJob));
  m_translateMenu->addAction(Action(Command::StopRun));

  QMenu* view = menuBar()->addMenu(tr("&View"));
  view->addAction(Action(Command::ViewGdsInput));
  view->addAction(Action(Command::ViewGdsOutput));

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->addAction(Action(Command::WebPage));
  help->addSeparator();
  help->addAction(Action(Command::RunningKorvex));
  help->addAction(Action(Command::Installation));
  help->addAction(Action(Command::UsingHelp));
  help->addSeparator();
  help->addAction(Action(Command::About));
}

void CMainFrame::CreateToolBar() {
  m_toolBar = new QToolBar(tr("Toolbar"), this);
  m_toolBar->setObjectName("Toolbar");
  m_toolBar->setIconSize(QSize(48, 48));
  m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
  m_toolBar->setStyleSheet("QToolButton { min-width: 54px; min-height: 54px; }");
  for (Command c : {Command::SelectGdsFile, Command::Configuration, Command::Translate, Command::ViewGdsInput}) {
    Action(c)->setIcon(QIcon(ToolbarPicture(c)));
    Action(c)->setIconVisibleInMenu(false);
  }
  m_toolBar->addAction(Action(Command::SelectGdsFile));
  m_toolBar->addSeparator();
  m_toolBar->addAction(Action(Command::Configuration));
  m_toolBar->addSeparator();
  m_toolBar->addAction(Action(Command::Translate));
  m_toolBar->addAction(Action(Command::ViewGdsInput));
  addToolBar(Qt::TopToolBarArea, m_toolBar);
  m_toolBar->hide();
  connect(Action(Command::Toolbar), &QAction::triggered, m_toolBar, [this] { m_toolBar->setVisible(!m_toolBar->isVisible()); });
}

void CMainFrame::CreateStatusBar() {
  // The job's top structure, beside the indicators: the structure window may change it at
  // any time, so it is read again with them.
  m_top = new QLabel(this);
  m_top->setToolTip(tr("Top structure of the job"));
  statusBar()->addPermanentWidget(m_top);
  const char* names[3] = {"CAP", "NUM", "SCRL"};
  for (int i = 0; i < 3; ++i) {
    m_locks[i] = new QLabel(names[i], this);
    m_locks[i]->setAlignment(Qt::AlignCenter);
    m_locks[i]->setMinimumWidth(m_locks[i]->fontMetrics().horizontalAdvance("SCRL") + 8);
    statusBar()->addPermanentWidget(m_locks[i]);
  }
  UpdateLockIndicators();
  UpdateTopStructureIndicator();
  auto* timer = new QTimer(this);
  connect(timer, &QTimer::timeout, this, &CMainFrame::UpdateLockIndicators);
  connect(timer, &QTimer::timeout, this, &CMainFrame::UpdateTopStructureIndicator);
  timer->start(500);
  statusBar()->showMessage(m_statusText);
  const bool visible = m_settings.Statusbar != 0;
  Action(Command::StatusBar)->setChecked(visible);
  statusBar()->setVisible(visible);
}

void CMainFrame::UpdateTopStructureIndicator() {
  const QString text = m_scan.TopStructure.empty() ? QString() : tr("Top: %1").arg(QString::fromStdString(m_scan.TopStructure));
  if (m_top->text() != text) m_top->setText(text);
}

void CMainFrame::UpdateLockIndicators() {
  const LockStates states = ReadLockStates();
  const std::optional<bool> lit[3] = {states.caps, states.num, states.scroll};
  for (int i = 0; i < 3; ++i) m_locks[i]->setEnabled(lit[i].value_or(false));
}

void CMainFrame::CreateControlPanel() {
  m_panel = new CControlPanel(this);
  m_panel->setWindowIcon(windowIcon());
  m_panel->SetEnabling(m_panelEnabling);
  connect(m_panel, &CControlPanel::ButtonPressed, this, &CMainFrame::OnPanelButton);
  connect(m_panel, &CControlPanel::CloseRequested, this,
          [this] { Action(Command::ControlDialog)->setChecked(false); });
  // A stored 0 hides the panel and clears the check mark; it shows with the window otherwise.
  if (m_settings.ControlDialog == 0) Action(Command::ControlDialog)->setChecked(false);
}

void CMainFrame::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!m_panelPlaced && m_panel != nullptr) {
    m_panelPlaced = true;
    m_panel->adjustSize();
    // The panel is shown once the main window is on the screen: a window manager that meets
    // the panel before its owner takes it as a window of its own and lets the owner cover it,
    // and only then is the owner's place known, to centre the panel over it.
    if (windowHandle() != nullptr) windowHandle()->installEventFilter(this);
    QTimer::singleShot(1000, this, &CMainFrame::ShowPanelFirstTime);  // should no exposure come
  }
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
  if (watched == windowHandle() && event->type() == QEvent::Expose && windowHandle()->isExposed()) {
    windowHandle()->removeEventFilter(this);
    QTimer::singleShot(0, this, &CMainFrame::ShowPanelFirstTime);
  }
  return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::ShowPanelFirstTime() {
  if (m_panelShown) return;
  m_panelShown = true;
  m_panel->move(geometry().center() - m_panel->rect().center());
  if (!Action(Command::ControlDialog)->isChecked()) return;
  m_panel->show();
  m_panel->raise();  // for window managers that keep no tool window above its owner
}

void CMainFrame::ApplyMergeModeTexts() {
  m_panel->SetTranslateCaption(
      QString::fromStdString(PanelCaption(PanelButton::kTranslate, m_settings.MergeMode, m_translating || m_scanning)));
  Action(Command::Translate)->setText(QString::fromStdString(TranslateMenuText(m_settings.MergeMode)));
}

void CMainFrame::RebuildRecentFileMenu() {
  for (QAction* action : m_recentActions) {
    m_fileMenu->removeAction(action);
    action->deleteLater();
  }
  m_recentActions.clear();
  const auto& files = m_recent.Files();
  for (std::size_t i = 0; i < files.size(); ++i) {
    auto* action = new QAction(QString::fromStdString(RecentFileMenuText(i, files[i])), this);
    action->setStatusTip(QString::fromStdString(StatusPrompt(TextOf(Command::RecentFile).prompt)));
    const QString path = QString::fromStdString(files[i]);
    connect(action, &QAction::triggered, this, [this, path] { OpenFile(path); });
    m_fileMenu->insertAction(m_recentSeparator, action);
    m_recentActions.push_back(action);
  }
  m_recentSeparator->setVisible(!files.empty());
}

void CMainFrame::SaveRecentFiles() {
  ProfileStore store;
  if (!store.Open(kStoreName)) return;
  m_recent.Save(store);
  store.Close();
}

void CMainFrame::UpdateLogCommands() {
  const bool shown = m_settings.LogShown != 0;
  Action(Command::SaveLogAs)->setEnabled(shown && !m_partialView);
  Action(Command::PrintLog)->setEnabled(shown);
  UpdateEditCommands();
}

void CMainFrame::UpdateEditCommands() {
  const bool selection = m_view->textCursor().hasSelection();
  const bool editable = !m_view->isReadOnly();
  Action(Command::Undo)->setEnabled(editable && m_view->document()->isUndoAvailable());
  Action(Command::Cut)->setEnabled(editable && selection);
  Action(Command::Copy)->setEnabled(selection);
  Action(Command::Paste)->setEnabled(editable && m_view->canPaste());
}

bool CMainFrame::event(QEvent* event) {
  if (event->type() == QEvent::StatusTip) {
    // Leaving a menu entry brings back the last status text instead of an empty pane.
    const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
    statusBar()->showMessage(tip.isEmpty() ? m_statusText : tip);
    return true;
  }
  return QMainWindow::event(event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  event->acceptProposedAction();
  OpenDroppedFiles(urls);
}

void CMainFrame::OpenDroppedFiles(const QList<QUrl>& urls) {
  for (const QUrl& url : urls) {
    if (url.isLocalFile()) OpenFile(url.toLocalFile());
  }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (RefusedWhileRunning()) {
    // The run's wait sits below this event; the window must outlive it.
    event->ignore();
    return;
  }
  if (!SaveModified()) {
    event->ignore();
    return;
  }
  WidgetPlacement placement(this);
  ProfileStore store;
  SaveSettings(m_settings, store, &placement, statusBar()->isVisible(), m_toolBar->isVisible());
  CloseStructureWindows();
  m_panel->hide();
  m_findDialog->hide();
  // Exit ends the program: a window of its own without an owner (the help) must not keep it
  // running.
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window != this && window->parentWidget() == nullptr && window->isVisible()) window->close();
  }
  // Only the newest scan report is kept, and only while the program runs.
  if (!m_scan.ReportFile.empty() && FileExists(m_scan.ReportFile)) std::remove(m_scan.ReportFile.c_str());
  event->accept();
}

QPrinter& CMainFrame::Printer() {
  if (!m_printer) m_printer = std::make_unique<QPrinter>();
  return *m_printer;
}

}  // namespace korvex
