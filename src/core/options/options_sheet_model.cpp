#include "core/options/options_sheet_model.h"

#include "core/options/merge_list.h"

namespace korvex {

OptionsSheetModel::OptionsSheetModel(JobSettings& settings, const std::vector<std::string>& layers,
                                     const std::vector<std::string>& datatypes)
    : m_cfg(settings), m_inex(settings), m_files(settings) {
  m_inex.Open(layers, datatypes);
}

Outcome<CfgControl> OptionsSheetModel::ShowPage(SheetPage page, const JobSettings& settings) {
  if (m_page == SheetPage::kConfiguration && page != m_page) {
    Outcome<CfgControl> read = m_cfg.ReadValues();
    if (!read.accepted) return read;
  }
  m_page = page;
  if (page == SheetPage::kIncludeExclude) m_inex.Show(m_cfg.PendingMergeMode());
  if (page == SheetPage::kFiles) m_files.Show(m_cfg.PendingMergeMode(), settings.InputFile);
  return Outcome<CfgControl>::Accept();
}

SheetOkResult OptionsSheetModel::Ok(JobSettings& settings) {
  SheetOkResult result;
  // The number fields can only change while their page shows, and leaving it read them;
  // reading them again here covers both cases.
  result.outcome = m_cfg.ReadValues();
  if (!result.outcome.accepted) return result;
  result.outcome = m_cfg.CheckNewTopName();
  if (!result.outcome.accepted) return result;

  m_cfg.Confirm(settings);
  m_inex.Confirm(settings);
  // The captions follow the stored mode even when korvex.lst cannot be written below, so
  // the main window never shows "Translate" for a job that will merge.
  result.caption = TranslateCaptionFor(settings.MergeMode);
  if (settings.MergeMode != kMergeModePlain) {
    const std::string failure = WriteMergeFileList(settings);
    if (!failure.empty()) result.outcome = Outcome<CfgControl>::Refuse(failure);
  }
  return result;
}

}  // namespace korvex
