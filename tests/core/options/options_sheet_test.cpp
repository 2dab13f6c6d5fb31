#include <gtest/gtest.h>

#include "core/options/options_sheet_model.h"
#include "temp_folder.h"

namespace korvex {
namespace {

using C = CfgControl;

class OptionsSheetTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    settings_.WorkingDirectory = Folder();
    settings_.InputFile = "/data/chips/top.gds";
  }
  OptionsSheetModel Open() { return OptionsSheetModel(settings_, {"1", "2"}, {"0"}); }

  JobSettings settings_;
};

TEST_F(OptionsSheetTest, AdderAtOpeningLocksTheTranslationControls) {
  settings_.MergeMode = kMergeModeAdd;
  settings_.Explode = 1;
  settings_.Combine = 1;
  OptionsSheetModel sheet = Open();
  const CfgPageModel& cfg = sheet.Cfg();
  EXPECT_TRUE(cfg.Ticked(C::kAdder));
  EXPECT_FALSE(cfg.Ticked(C::kExplode));
  for (const C c : {C::kExplode, C::kUnfold, C::kPrune, C::kFixNames, C::kSpecifyCase, C::kCaseRadios}) {
    EXPECT_FALSE(cfg.Enabled(c)) << static_cast<int>(c);
  }
  EXPECT_TRUE(cfg.Enabled(C::kCombine));
  EXPECT_TRUE(cfg.Ticked(C::kCombine));
  EXPECT_TRUE(cfg.Enabled(C::kMinWidth));
  EXPECT_EQ(cfg.PendingMergeMode(), kMergeModeAdd);
}

TEST_F(OptionsSheetTest, NameBoxesAtOpeningPreferSpecifyCaseThenFixNames) {
  settings_.Prune = 1;
  settings_.FixNames = 1;
  settings_.SpecifyCase = 1;
  OptionsSheetModel sheet = Open();
  EXPECT_TRUE(sheet.Cfg().Ticked(C::kSpecifyCase));
  EXPECT_FALSE(sheet.Cfg().Ticked(C::kFixNames));
  EXPECT_FALSE(sheet.Cfg().Ticked(C::kPrune));
  EXPECT_TRUE(sheet.Cfg().Enabled(C::kCaseRadios));
}

TEST_F(OptionsSheetTest, BlenderUnticksCombineAndOkStoresIt) {
  OptionsSheetModel sheet = Open();
  CfgPageModel& cfg = sheet.Cfg();
  EXPECT_FALSE(cfg.Enabled(C::kCombine));
  cfg.SetTicked(C::kMerger, true);
  cfg.newTopName.clear();
  cfg.SetTicked(C::kCombine, true);
  EXPECT_EQ(cfg.newTopName, "TOP");
  cfg.SetTicked(C::kBlender, true);
  EXPECT_FALSE(cfg.Ticked(C::kMerger));
  EXPECT_FALSE(cfg.Ticked(C::kCombine));
  EXPECT_FALSE(cfg.Enabled(C::kCombine));
  EXPECT_FALSE(cfg.Enabled(C::kNewTopName));
  EXPECT_EQ(cfg.PendingMergeMode(), kMergeModeBlend);
  settings_.Combine = 1;
  const SheetOkResult ok = sheet.Ok(settings_);
  ASSERT_TRUE(ok.outcome.accepted);
  EXPECT_EQ(settings_.Combine, 0);
  EXPECT_EQ(settings_.MergeMode, kMergeModeBlend);
  EXPECT_EQ(ok.caption->button, "Blend");
  EXPECT_EQ(ok.caption->menu, "&Blend");
}

TEST_F(OptionsSheetTest, UntickingTheMergeModeFreesExplodeButLeavesItUnticked) {
  settings_.Explode = 1;
  OptionsSheetModel sheet = Open();
  CfgPageModel& cfg = sheet.Cfg();
  cfg.SetTicked(C::kAdder, true);
  EXPECT_FALSE(cfg.Ticked(C::kExplode));
  cfg.SetTicked(C::kAdder, false);
  EXPECT_EQ(cfg.PendingMergeMode(), kMergeModePlain);
  EXPECT_TRUE(cfg.Enabled(C::kExplode));
  EXPECT_FALSE(cfg.Ticked(C::kExplode));
  EXPECT_FALSE(cfg.Enabled(C::kCombine));
}

TEST_F(OptionsSheetTest, BlankInTopNameIsRefusedOnlyWhileCombining) {
  settings_.NewTopStr = "OLD";
  OptionsSheetModel sheet = Open();
  CfgPageModel& cfg = sheet.Cfg();
  cfg.SetTicked(C::kMerger, true);
  cfg.SetTicked(C::kCombine, true);
  cfg.newTopName = "TOP CELL";
  cfg.SetTicked(C::kBlender, true);  // the name is no longer in use
  EXPECT_TRUE(sheet.Ok(settings_).outcome.accepted);
  EXPECT_EQ(settings_.NewTopStr, "OLD");
  EXPECT_EQ(settings_.Combine, 0);
  settings_.MergeMode = kMergeModePlain;

  OptionsSheetModel again = Open();
  again.Cfg().SetTicked(C::kMerger, true);
  again.Cfg().SetTicked(C::kCombine, true);
  again.Cfg().newTopName = "TOP CELL";
  const SheetOkResult ok = again.Ok(settings_);
  EXPECT_FALSE(ok.outcome.accepted);
  EXPECT_EQ(ok.outcome.message, "Space is not allowed in the New Top Structure Name.");
  EXPECT_FALSE(ok.caption.has_value());
  EXPECT_EQ(settings_.MergeMode, kMergeModePlain);  // nothing written
  again.Cfg().newTopName = std::string(256, 'T');
  EXPECT_EQ(again.Ok(settings_).outcome.focus, C::kNewTopName);
  again.Cfg().newTopName = "CHIP";
  ASSERT_TRUE(again.Ok(settings_).outcome.accepted);
  EXPECT_EQ(settings_.NewTopStr, "CHIP");
  EXPECT_EQ(settings_.Combine, 1);
}

TEST_F(OptionsSheetTest, NameBoxesStoreExactlyOneFlag) {
  OptionsSheetModel sheet = Open();
  sheet.Cfg().SetTicked(C::kSpecifyCase, true);
  EXPECT_TRUE(sheet.Cfg().Enabled(C::kCaseRadios));
  sheet.Cfg().lowerCase = 1;
  ASSERT_TRUE(sheet.Ok(settings_).outcome.accepted);
  EXPECT_EQ(settings_.SpecifyCase, 1);
  EXPECT_EQ(settings_.LowerCase, 1);
  EXPECT_EQ(settings_.Prune, 0);
  EXPECT_EQ(settings_.FixNames, 0);

  OptionsSheetModel again = Open();
  again.Cfg().SetTicked(C::kSpecifyCase, false);
  EXPECT_FALSE(again.Cfg().Enabled(C::kCaseRadios));
  ASSERT_TRUE(again.Ok(settings_).outcome.accepted);
  EXPECT_EQ(settings_.SpecifyCase + settings_.Prune + settings_.FixNames, 0);
}

TEST_F(OptionsSheetTest, NumberFieldsAreCheckedWhenLeavingThePageAndOnOk) {
  OptionsSheetModel sheet = Open();
  EXPECT_EQ(sheet.Cfg().maxText, "1000000");
  sheet.Cfg().minWidth = "1000000";
  sheet.Cfg().maxText = "1000000.5";
  const Outcome<CfgControl> leave = sheet.ShowPage(SheetPage::kFiles, settings_);
  EXPECT_FALSE(leave.accepted);
  EXPECT_EQ(leave.message, "Please enter a number between 0 and 1000000.");
  EXPECT_EQ(leave.focus, C::kMaxText);
  EXPECT_EQ(sheet.Page(), SheetPage::kConfiguration);
  EXPECT_EQ(sheet.Ok(settings_).outcome.focus, C::kMaxText);
  sheet.Cfg().maxText = "2.5";
  ASSERT_TRUE(sheet.Ok(settings_).outcome.accepted);
  EXPECT_EQ(settings_.MinWidth, 1000000);
  EXPECT_EQ(settings_.MaxText, 2.5);
}

TEST_F(OptionsSheetTest, PagesFollowThePendingMergeMode) {
  OptionsSheetModel sheet = Open();
  sheet.Cfg().SetTicked(C::kAdder, true);
  ASSERT_TRUE(sheet.ShowPage(SheetPage::kFiles, settings_).accepted);
  EXPECT_EQ(sheet.Files().Caption(), "Select Files to Add with top.gds.");
  EXPECT_TRUE(sheet.Files().ControlsEnabled());
  sheet.ShowPage(SheetPage::kIncludeExclude, settings_);
  EXPECT_FALSE(sheet.Inex().ControlsEnabled());
  sheet.ShowPage(SheetPage::kConfiguration, settings_);
  sheet.Cfg().SetTicked(C::kAdder, false);
  sheet.ShowPage(SheetPage::kIncludeExclude, settings_);
  EXPECT_TRUE(sheet.Inex().ControlsEnabled());
  sheet.ShowPage(SheetPage::kFiles, settings_);
  EXPECT_EQ(sheet.Files().Caption(), "GDS Merger/Adder/Blender can be turned on in Configuration.");
  EXPECT_FALSE(sheet.Files().ControlsEnabled());
}

TEST_F(OptionsSheetTest, CancelWritesNothing) {
  Write("korvex.lst", "/a.gds\r\n");
  const JobSettings before = [&] {
    JobSettings s = settings_;
    s.MergeFileList = "\"/a.gds\"";  // what building the sheet reads back
    return s;
  }();
  {
    OptionsSheetModel sheet = Open();
    sheet.Cfg().SetTicked(C::kMerger, true);
    sheet.Cfg().minWidth = "5";
    sheet.Inex().SetExclude(MappingKind::kLayers, 1);
    sheet.Files().AddFiles({"/b.gds"}, settings_);  // changes MergeFileList at once
  }
  EXPECT_EQ(settings_.MergeMode, before.MergeMode);
  EXPECT_EQ(settings_.MinWidth, before.MinWidth);
  EXPECT_EQ(settings_.LayerExclude, before.LayerExclude);
  EXPECT_EQ(Read("korvex.lst"), "/a.gds\r\n");
  OptionsSheetModel reopened = Open();  // the next opening starts from the file again
  EXPECT_EQ(reopened.Files().Entries(), (std::vector<std::string>{"/a.gds"}));
}

TEST_F(OptionsSheetTest, OkWritesSettingsBeforeTheFileListAndKeepsThemWhenItFails) {
  settings_.WorkingDirectory = Folder() + "/gone";
  OptionsSheetModel sheet = Open();
  sheet.Cfg().SetTicked(C::kMerger, true);
  sheet.Cfg().SetTicked(C::kUnfold, true);
  sheet.Inex().SetSelection(MappingKind::kLayers, {false, true});
  sheet.Files().AddFiles({"/x.gds"}, settings_);
  const SheetOkResult ok = sheet.Ok(settings_);
  EXPECT_FALSE(ok.outcome.accepted);
  EXPECT_EQ(ok.outcome.message,
            "Error occurred when saving the list of files to merge to\n'" + Folder() + "/gone/korvex.lst'.");
  EXPECT_EQ(settings_.MergeMode, kMergeModeMerge);
  EXPECT_EQ(settings_.Unfold, 1);
  EXPECT_EQ(settings_.LayerList, "2");
  ASSERT_TRUE(ok.caption.has_value());
  EXPECT_EQ(ok.caption->button, "Merge");  // matches the stored mode
}

TEST_F(OptionsSheetTest, OkInMergeModeWritesTheListAndPlainOkKeepsIt) {
  Write("korvex.lst", "/old.gds\n");
  OptionsSheetModel sheet = Open();
  sheet.Cfg().SetTicked(C::kMerger, true);
  sheet.Files().AddFiles({"/with blank/b.gds", "/old.gds"}, settings_);
  ASSERT_TRUE(sheet.Ok(settings_).outcome.accepted);
  EXPECT_EQ(Read("korvex.lst"), "/old.gds\r\n/with blank/b.gds\r\n/old.gds\r\n");

  OptionsSheetModel plain = Open();
  EXPECT_EQ(plain.Files().Entries(), (std::vector<std::string>{"/old.gds", "/with blank/b.gds", "/old.gds"}));
  plain.Cfg().SetTicked(C::kMerger, false);
  plain.Files().SetSelection({true, true, true});
  plain.Files().Remove(settings_);
  const SheetOkResult ok = plain.Ok(settings_);
  ASSERT_TRUE(ok.outcome.accepted);
  EXPECT_EQ(ok.caption->button, "Translate");
  EXPECT_EQ(ok.caption->menu, "&Translate");
  EXPECT_EQ(Read("korvex.lst"), "/old.gds\r\n/with blank/b.gds\r\n/old.gds\r\n");

  OptionsSheetModel emptied = Open();
  emptied.Cfg().SetTicked(C::kAdder, true);
  emptied.Files().SetSelection({true, false, true});
  emptied.Files().Remove(settings_);
  EXPECT_EQ(settings_.MergeFileList, "\"/with blank/b.gds\"");
  emptied.Files().SetSelection({true});
  emptied.Files().Remove(settings_);
  ASSERT_TRUE(emptied.Ok(settings_).outcome.accepted);
  EXPECT_TRUE(Exists("korvex.lst"));
  EXPECT_EQ(Read("korvex.lst"), "");
}

}  // namespace
}  // namespace korvex
