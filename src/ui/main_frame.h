#pragma once

#include <QMainWindow>
#include <QList>
#include <QString>
#include <QUrl>
#include <map>
#include <memory>

#include "core/inspect/scan_result.h"
#include "core/job/job_settings.h"
#include "core/job/scan_run.h"
#include "core/job/translation_run.h"
#include "core/support/launcher.h"
#include "ui/command_texts.h"
#include "ui/find_dialog.h"
#include "ui/panel_rules.h"
#include "ui/pentra_doc.h"
#include "ui/recent_files.h"

class QAction;
class QCloseEvent;
class QLabel;
class QMenu;
class QPrinter;
class QToolBar;

namespace korvex {

class CControlPanel;
class CPentraView;
class UserPrompts;

// The program's main window: menu, hidden toolbar, status bar, the log view and the control
// panel. Settings are loaded while it is created and saved when it closes. It is the host
// of the scan and translation runs.
class CMainFrame : public QMainWindow, public ScanHost, public TranslationHost {
  Q_OBJECT

 public:
  CMainFrame(JobSettings& settings, ScanResult& scan, UserPrompts& prompts, QWidget* parent = nullptr);
  ~CMainFrame() override;

  // The open-file operation: a ".log" file is shown, any other file is scanned. True when
  // a file is now shown in the view.
  bool OpenFile(const QString& path);
  // Files dropped on the window: each local file goes to the open-file operation.
  void OpenDroppedFiles(const QList<QUrl>& urls);
  // Empties the view: plain title, no log shown.
  void OnNewDocument();
  // Shows a file in the log view, or hands it to the editor when it is too long.
  bool OpenLogFile(const std::string& path);
  // Opens a job file: scans its input and sets up every option, the top structure and the
  // structure map. True when the scan succeeded.
  bool OpenJobFile(const std::string& path);

  bool Translating() const { return m_translating; }
  QString StatusText() const { return m_statusText; }
  QAction* Action(Command command) const;
  QMenu* TranslateMenu() const { return m_translateMenu; }
  QMenu* PreferencesMenu() const { return m_preferencesMenu; }
  QToolBar* ToolBar() const { return m_toolBar; }
  CControlPanel* ControlPanel() const { return m_panel; }
  const PanelEnabling& PanelState() const { return m_panelEnabling; }
  CPentraView* View() const { return m_view; }
  CPentraDoc& Document() { return *m_doc; }
  CFindDialog* FindDialog() const { return m_findDialog; }
  const RecentFileList& RecentFiles() const { return m_recent; }
  QLabel* LockIndicator(int index) const { return m_locks[index]; }
  QLabel* TopStructureIndicator() const { return m_top; }

  // RunHost, ScanHost, TranslationHost.
  void SetStatusText(const std::string& text) override;
  void ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) override;
  std::optional<std::string> ChooseFile(const FileQuestion& question) override;
  void ShowWaitCursor(bool on) override;
  void FocusMainWindow() override;
  void UpdateControlPanel(const std::vector<ButtonState>& states) override;
  bool ShowFileInView(const std::string& path) override;
  void SetFrameTitle(bool withInput, const std::string& inputFile) override;
  void CloseStructureWindows() override;
  void EmptyLogView() override;
  void AddToRecentFiles(const std::string& path) override;
  void PumpMessages() override;

 public slots:
  void OnSelectGdsFile();
  void OnOpenJob();
  void OnSaveJobAs();
  void OnPreviewJob();
  void OnSaveLogAs();
  void OnPrintLog();
  void OnPrintSetup();
  void OnControlDialog(bool show);
  void OnWorkingDirectory();
  void OnGdsViewerDirectory();
  void OnFind();
  void OnFindNext();
  void OnStructure();
  void OnConfiguration();
  void OnLayerMapping();
  void OnTypeMapping();
  void OnStructureMapping();
  void OnPolygonFiltering();
  void OnTranslate();
  void OnViewGdsInput();
  void OnViewGdsOutput();
  void OnWebPage();
  void OnHelpIndex();
  void OnInstallationHelp();
  void OnUsingHelp();
  void OnContextHelp();
  void OnAbout();
  void OnPanelButton(korvex::PanelButton button);

 protected:
  // The option dialogs and structure windows. Configuration returns whether the sheet was
  // confirmed.
  virtual void RunStructureDialog();
  virtual bool RunConfigurationSheet();
  virtual void RunLayerMappingDialog();
  virtual void RunTypeMappingDialog();
  virtual void RunStructureMappingDialog();
  virtual void RunPolygonFilteringDialog();
  virtual void CloseStructureDialogs();

  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void ShowPanelFirstTime();
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

  JobSettings& m_settings;
  ScanResult& m_scan;
  UserPrompts& m_prompts;

 private:
  void CreateActions();
  void CreateMenus();
  void CreateToolBar();
  void CreateStatusBar();
  void CreateControlPanel();
  QAction* AddAction(Command command, const char* slot = nullptr);
  void RebuildRecentFileMenu();
  void SaveRecentFiles();
  void UpdateLogCommands();
  // Shows a text that is no file (the job preview) in the log view, read-only.
  void ShowTextInView(const std::string& text);
  // What the job warns of, for the scanned input; none before a scan of it.
  std::vector<std::string> CurrentJobWarnings() const;
  void UpdateEditCommands();
  void UpdateLockIndicators();
  void UpdateTopStructureIndicator();
  void ApplyMergeModeTexts();
  void FindAgain(const FindRequest& request);
  // Asks whether to save an edited log; false when the user cancelled.
  bool SaveModified();
  // A command that would start a second run or change the running job waits for its end.
  bool RefusedWhileRunning();
  void SetRunning(bool* flag, bool on);
  QPrinter& Printer();

  Launcher m_launcher;
  CPentraView* m_view = nullptr;
  std::unique_ptr<CPentraDoc> m_doc;
  CControlPanel* m_panel = nullptr;
  CFindDialog* m_findDialog = nullptr;
  QToolBar* m_toolBar = nullptr;
  QMenu* m_fileMenu = nullptr;
  QMenu* m_preferencesMenu = nullptr;
  QMenu* m_translateMenu = nullptr;
  QAction* m_recentSeparator = nullptr;
  std::vector<QAction*> m_recentActions;
  std::map<Command, QAction*> m_actions;
  QLabel* m_locks[3] = {};
  QLabel* m_top = nullptr;
  std::unique_ptr<QPrinter> m_printer;
  PanelEnabling m_panelEnabling;
  RecentFileList m_recent;
  FindRequest m_lastFind;
  QString m_statusText;
  bool m_translating = false;
  bool m_scanning = false;
  bool m_panelPlaced = false;
  bool m_panelShown = false;
  bool m_partialView = false;  // the view holds only the start of a file too large for it
  int m_waitCursors = 0;
};

inline constexpr const char* kRefusedWhileTranslating = "Translation running: press Stop or wait for it to end";
inline constexpr const char* kRefusedWhileScanning = "Scan running: press Stop or wait for it to end";

}  // namespace korvex
