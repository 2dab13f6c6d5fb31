#include "ui/dialogs/options_dlg_sheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/dialogs/cfg_page.h"
#include "ui/dialogs/dialog_support.h"
#include "ui/dialogs/file_list_page.h"
#include "ui/dialogs/inex_page.h"
#include "core/options/scan_lists.h"

namespace korvex {

COptionsDlgSheet::COptionsDlgSheet(JobSettings& settings, const ScanResult& scan, UserPrompts& prompts,
                                   QWidget* parent)
    : QDialog(parent),
      m_settings(settings),
      m_prompts(prompts),
      m_model(settings, ScannedLayers(scan), ScannedDatatypes(scan)) {
  setWindowTitle(tr("Configuration"));
  m_cfgPage = new CCfgPage(m_model.Cfg());
  m_inexPage = new CInexPage(m_model.Inex());
  m_filesPage = new CFileList(m_model.Files(), settings, prompts);
  m_tabs = new QTabWidget(this);
  m_tabs->addTab(m_cfgPage, tr("Configuration"));
  m_tabs->addTab(m_inexPage, tr("Include/Exclude"));
  m_tabs->addTab(m_filesPage, tr("Files to Merge/Add/Blend"));
  connect(m_tabs, &QTabWidget::currentChanged, this, &COptionsDlgSheet::PageChosen);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &COptionsDlgSheet::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &COptionsDlgSheet::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_tabs);
  layout->addWidget(buttons);
}

void COptionsDlgSheet::PageChosen(int index) {
  const Outcome<CfgControl> shown = m_model.ShowPage(static_cast<SheetPage>(index), m_settings);
  if (!shown.accepted) {
    // The Configuration page stays until its fields read well.
    const QSignalBlocker quiet(m_tabs);
    m_tabs->setCurrentIndex(m_shownPage);
    ShowCfgRefusal(shown);
    return;
  }
  m_shownPage = index;
  if (index == static_cast<int>(SheetPage::kIncludeExclude)) m_inexPage->Refresh();
  if (index == static_cast<int>(SheetPage::kFiles)) m_filesPage->Refresh();
  if (index == static_cast<int>(SheetPage::kConfiguration)) m_cfgPage->Refresh();
}

void COptionsDlgSheet::ShowCfgRefusal(const Outcome<CfgControl>& refusal) {
  QWidget* focus = nullptr;
  if (refusal.focus) {
    m_tabs->setCurrentIndex(static_cast<int>(SheetPage::kConfiguration));
    focus = m_cfgPage->Control(*refusal.focus);
  }
  ShowRefusal(m_prompts, this, refusal.message, focus);
}

void COptionsDlgSheet::accept() {
  const SheetOkResult result = m_model.Ok(m_settings);
  if (result.caption) m_settingsWritten = true;
  if (!result.outcome.accepted) {
    ShowCfgRefusal(result.outcome);
    return;
  }
  QDialog::accept();
}

}  // namespace korvex
