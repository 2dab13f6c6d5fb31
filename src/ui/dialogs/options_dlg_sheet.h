#pragma once

#include <QDialog>

#include "core/inspect/scan_result.h"
#include "core/options/options_sheet_model.h"

class QTabWidget;

namespace korvex {

class CCfgPage;
class CFileList;
class CInexPage;
class UserPrompts;

// The "Configuration" property sheet: the Configuration, Include/Exclude and Files to
// Merge/Add/Blend pages over OK and Cancel. Nothing reaches the settings before OK.
class COptionsDlgSheet : public QDialog {
  Q_OBJECT

 public:
  COptionsDlgSheet(JobSettings& settings, const ScanResult& scan, UserPrompts& prompts, QWidget* parent = nullptr);

  // True once OK has written the settings. That can happen while the sheet stays open: when
  // korvex.lst cannot be written, the rest is already stored.
  bool SettingsWritten() const { return m_settingsWritten; }

  QTabWidget* Tabs() const { return m_tabs; }
  CCfgPage* CfgPage() const { return m_cfgPage; }
  CInexPage* InexPage() const { return m_inexPage; }
  CFileList* FilesPage() const { return m_filesPage; }

 public slots:
  void accept() override;

 private:
  void PageChosen(int index);
  void ShowCfgRefusal(const Outcome<CfgControl>& refusal);

  JobSettings& m_settings;
  UserPrompts& m_prompts;
  OptionsSheetModel m_model;
  QTabWidget* m_tabs = nullptr;
  CCfgPage* m_cfgPage = nullptr;
  CInexPage* m_inexPage = nullptr;
  CFileList* m_filesPage = nullptr;
  int m_shownPage = 0;
  bool m_settingsWritten = false;
};

}  // namespace korvex
