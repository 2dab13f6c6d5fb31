#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/job/job_settings.h"
#include "core/options/config_model.h"
#include "core/options/file_list_model.h"
#include "core/options/inex_model.h"
#include "core/options/outcome.h"

namespace korvex {

enum class SheetPage { kConfiguration, kIncludeExclude, kFiles };

struct SheetOkResult {
  // Refused: the message to show and the field of the Configuration page to focus; the
  // sheet stays open. Accepted: the sheet closes.
  Outcome<CfgControl> outcome;
  // Set once the settings were written: the Translate button and menu item texts.
  std::optional<TranslateCaption> caption;
};

// The "Configuration" property sheet: its three pages and the rules between them. Cancel
// needs no call: nothing reaches the settings before OK.
class OptionsSheetModel {
 public:
  // Builds the pages from the settings (the file page rebuilds MergeFileList from
  // korvex.lst) and fills the list boxes with the scanned layers and datatypes.
  OptionsSheetModel(JobSettings& settings, const std::vector<std::string>& layers,
                    const std::vector<std::string>& datatypes);

  CfgPageModel& Cfg() { return m_cfg; }
  InexModel& Inex() { return m_inex; }
  FileListModel& Files() { return m_files; }
  SheetPage Page() const { return m_page; }

  // The user picks another page. Leaving the Configuration page reads its fields; when
  // that fails the page stays and the refusal is returned.
  Outcome<CfgControl> ShowPage(SheetPage page, const JobSettings& settings);

  // OK: check, then write the settings in order (configuration, include/exclude, and in a
  // merge mode the file list korvex.lst).
  SheetOkResult Ok(JobSettings& settings);

 private:
  CfgPageModel m_cfg;
  InexModel m_inex;
  FileListModel m_files;
  SheetPage m_page = SheetPage::kConfiguration;
};

}  // namespace korvex
