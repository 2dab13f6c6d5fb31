#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include "core/options/merge_list.h"
#include "dialogs_fixture.h"
#include "ui/dialogs/cfg_page.h"
#include "ui/dialogs/file_list_page.h"
#include "ui/dialogs/inex_page.h"
#include "ui/dialogs/options_dlg_sheet.h"

namespace korvex {
namespace {

class ConfigurationSheetTest : public testing::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    settings.WorkingDirectory = m_dir.string();
    settings.InputFile = PathOf("top.gds");
    scan.LayerCount = 3;
    scan.Layers[0] = "1";
    scan.Layers[1] = "2";
    scan.Layers[2] = "10";
    scan.DatatypeCount = 1;
    scan.Datatypes[0] = "0";
  }

  std::unique_ptr<COptionsDlgSheet> Open() {
    auto sheet = std::make_unique<COptionsDlgSheet>(settings, scan, prompts);
    sheet->open();
    return sheet;
  }

  static QCheckBox* Box(COptionsDlgSheet& sheet, CfgControl control) { return sheet.CfgPage()->Box(control); }
  static void ShowPage(COptionsDlgSheet& sheet, SheetPage page) {
    sheet.Tabs()->setCurrentIndex(static_cast<int>(page));
  }
  static void ClickOk(COptionsDlgSheet& sheet) {
    QTest::keyClick(sheet.CfgPage()->Field(CfgControl::kMinWidth), Qt::Key_Return);
  }

  JobSettings settings;
  ScanResult scan;
};

TEST_F(ConfigurationSheetTest, BlenderUnticksCombineAndOkStoresMode3) {
  settings.MergeMode = kMergeModeMerge;
  settings.Combine = 1;
  auto sheet = Open();
  ASSERT_TRUE(Box(*sheet, CfgControl::kCombine)->isChecked());
  ASSERT_TRUE(Box(*sheet, CfgControl::kCombine)->isEnabled());

  Box(*sheet, CfgControl::kBlender)->click();
  EXPECT_FALSE(Box(*sheet, CfgControl::kMerger)->isChecked());
  EXPECT_FALSE(Box(*sheet, CfgControl::kCombine)->isChecked());
  EXPECT_FALSE(Box(*sheet, CfgControl::kCombine)->isEnabled());
  EXPECT_FALSE(sheet->CfgPage()->Field(CfgControl::kNewTopName)->isEnabled());
  EXPECT_FALSE(Box(*sheet, CfgControl::kExplode)->isEnabled());

  ClickOk(*sheet);
  EXPECT_EQ(sheet->result(), QDialog::Accepted);
  EXPECT_TRUE(sheet->SettingsWritten());
  EXPECT_EQ(settings.MergeMode, kMergeModeBlend);
  EXPECT_EQ(settings.Combine, 0);
  // A merge mode writes the file list, empty as it is.
  EXPECT_TRUE(std::filesystem::exists(PathOf("korvex.lst")));
}

TEST_F(ConfigurationSheetTest, OpensWithTheStoredModeAndItsEnabling) {
  settings.MergeMode = kMergeModeAdd;
  settings.Explode = 1;
  settings.SpecifyCase = 1;
  auto sheet = Open();
  EXPECT_TRUE(Box(*sheet, CfgControl::kAdder)->isChecked());
  EXPECT_FALSE(Box(*sheet, CfgControl::kExplode)->isChecked());
  EXPECT_FALSE(Box(*sheet, CfgControl::kExplode)->isEnabled());
  EXPECT_FALSE(Box(*sheet, CfgControl::kSpecifyCase)->isEnabled());
  EXPECT_FALSE(sheet->CfgPage()->LowerCase()->isEnabled());
  EXPECT_TRUE(Box(*sheet, CfgControl::kCombine)->isEnabled());
  EXPECT_TRUE(sheet->CfgPage()->Field(CfgControl::kMinWidth)->isEnabled());
}

TEST_F(ConfigurationSheetTest, MergeModeDisablesTheIncludeExcludePageUntilUnticked) {
  auto sheet = Open();
  const CInexPage::Half& layers = sheet->InexPage()->Controls(MappingKind::kLayers);
  Box(*sheet, CfgControl::kMerger)->click();
  ShowPage(*sheet, SheetPage::kIncludeExclude);
  EXPECT_EQ(sheet->InexPage()->Notice()->text(), "GDS Merger/Adder/Blender is on, include/exclude is disabled.");
  EXPECT_FALSE(layers.list->isEnabled());
  EXPECT_FALSE(layers.field->isEnabled());
  EXPECT_FALSE(sheet->InexPage()->Controls(MappingKind::kDatatypes).exclude->isEnabled());

  ShowPage(*sheet, SheetPage::kConfiguration);
  Box(*sheet, CfgControl::kMerger)->click();
  ShowPage(*sheet, SheetPage::kIncludeExclude);
  EXPECT_EQ(sheet->InexPage()->Notice()->text(), "");
  EXPECT_TRUE(layers.list->isEnabled());
  EXPECT_TRUE(layers.include->isEnabled());
}

TEST_F(ConfigurationSheetTest, TypedLayerListIsStoredAsTypedAndSelectsWholeEntriesOnly) {
  settings.LayerList = "1,2,10";
  auto sheet = Open();
  ShowPage(*sheet, SheetPage::kIncludeExclude);
  const CInexPage::Half& layers = sheet->InexPage()->Controls(MappingKind::kLayers);
  layers.field->selectAll();
  QTest::keyClicks(layers.field, "1, 2");
  layers.exclude->click();
  EXPECT_EQ(layers.caption->text().remove('&'), "Layers to Exclude");
  ClickOk(*sheet);
  EXPECT_EQ(settings.LayerList, "1, 2");
  EXPECT_EQ(settings.LayerExclude, 1);

  // Only "1" stands between two commas of ",1, 2,".
  auto again = Open();
  QListWidget* list = again->InexPage()->Controls(MappingKind::kLayers).list;
  ASSERT_EQ(list->count(), 3);
  EXPECT_TRUE(list->item(0)->isSelected());
  EXPECT_FALSE(list->item(1)->isSelected());
  EXPECT_FALSE(list->item(2)->isSelected());
  EXPECT_EQ(again->InexPage()->Controls(MappingKind::kLayers).caption->text().remove('&'), "Layers to Exclude");
}

TEST_F(ConfigurationSheetTest, PickingInTheListRewritesTheField) {
  settings.LayerList = "1,2,10";
  auto sheet = Open();
  ShowPage(*sheet, SheetPage::kIncludeExclude);
  const CInexPage::Half& layers = sheet->InexPage()->Controls(MappingKind::kLayers);
  layers.list->item(1)->setSelected(false);
  EXPECT_EQ(layers.field->text(), "1,10");
  layers.list->clearSelection();
  EXPECT_EQ(layers.field->text(), "");
  ClickOk(*sheet);
  EXPECT_EQ(settings.LayerList, "");
}

TEST_F(ConfigurationSheetTest, BadWidthKeepsTheFirstPageAndRefusesOk) {
  auto sheet = Open();
  QLineEdit* width = sheet->CfgPage()->Field(CfgControl::kMinWidth);
  width->selectAll();
  QTest::keyClicks(width, "1000001");
  ShowPage(*sheet, SheetPage::kFiles);
  EXPECT_EQ(sheet->Tabs()->currentIndex(), static_cast<int>(SheetPage::kConfiguration));
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(sheet->focusWidget(), width);

  ClickOk(*sheet);
  EXPECT_TRUE(sheet->isVisible());
  EXPECT_EQ(prompts.messages.size(), 2u);
  EXPECT_FALSE(sheet->SettingsWritten());

  width->selectAll();
  QTest::keyClicks(width, "1000000");
  ClickOk(*sheet);
  EXPECT_EQ(sheet->result(), QDialog::Accepted);
  EXPECT_EQ(settings.MinWidth, 1000000);
}

TEST_F(ConfigurationSheetTest, BlankInCombinedTopNameIsRefusedWhileMerging) {
  settings.NewTopStr = "";
  auto sheet = Open();
  Box(*sheet, CfgControl::kAdder)->click();
  Box(*sheet, CfgControl::kCombine)->click();
  QLineEdit* name = sheet->CfgPage()->Field(CfgControl::kNewTopName);
  EXPECT_EQ(name->text(), "TOP");
  QTest::keyClicks(name, " CELL");
  ShowPage(*sheet, SheetPage::kFiles);
  ClickOk(*sheet);
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text, "Space is not allowed in the New Top Structure Name.");
  EXPECT_TRUE(sheet->isVisible());
  EXPECT_EQ(sheet->Tabs()->currentIndex(), static_cast<int>(SheetPage::kConfiguration));
  EXPECT_EQ(settings.MergeMode, kMergeModePlain);

  Box(*sheet, CfgControl::kAdder)->click();  // no merge mode: the name is not used
  ClickOk(*sheet);
  EXPECT_EQ(sheet->result(), QDialog::Accepted);
  EXPECT_EQ(settings.NewTopStr, "");
}

TEST_F(ConfigurationSheetTest, NameBoxesAndCaseRadiosAreStored) {
  auto sheet = Open();
  EXPECT_TRUE(Box(*sheet, CfgControl::kPrune)->isChecked());
  Box(*sheet, CfgControl::kSpecifyCase)->click();
  EXPECT_FALSE(Box(*sheet, CfgControl::kPrune)->isChecked());
  ASSERT_TRUE(sheet->CfgPage()->UpperCase()->isEnabled());
  sheet->CfgPage()->UpperCase()->click();
  ClickOk(*sheet);
  EXPECT_EQ(settings.SpecifyCase, 1);
  EXPECT_EQ(settings.LowerCase, 0);
  EXPECT_EQ(settings.Prune, 0);
  EXPECT_EQ(settings.FixNames, 0);
}

TEST_F(ConfigurationSheetTest, CancelWritesNothing) {
  Write("korvex.lst", "/a.gds\r\n");
  auto sheet = Open();
  Box(*sheet, CfgControl::kMerger)->click();
  QTest::keyClick(sheet.get(), Qt::Key_Escape);
  EXPECT_EQ(sheet->result(), QDialog::Rejected);
  EXPECT_FALSE(sheet->SettingsWritten());
  EXPECT_EQ(settings.MergeMode, kMergeModePlain);
  EXPECT_EQ(Read("korvex.lst"), "/a.gds\r\n");
}

TEST_F(ConfigurationSheetTest, FilesPageAddsFromTheInputFolderAndRemovesSelected) {
  Write("korvex.lst", "/lib/a b.gds\n");
  auto sheet = Open();
  FileQuestion asked;
  sheet->FilesPage()->SetFileChooser([&](QWidget*, const FileQuestion& question) {
    asked = question;
    return std::optional<std::vector<std::string>>({"/x/one.gds", "/lib/a b.gds"});
  });
  CFileList* files = sheet->FilesPage();
  ShowPage(*sheet, SheetPage::kFiles);
  EXPECT_EQ(files->Caption()->text(), "GDS Merger/Adder/Blender can be turned on in Configuration.");
  EXPECT_FALSE(files->AddButton()->isEnabled());

  ShowPage(*sheet, SheetPage::kConfiguration);
  Box(*sheet, CfgControl::kAdder)->click();
  ShowPage(*sheet, SheetPage::kFiles);
  EXPECT_EQ(files->Caption()->text(), "Select Files to Add with top.gds.");
  ASSERT_EQ(files->List()->count(), 1);
  files->AddButton()->click();
  EXPECT_EQ(asked.title, "Add GDS Files");
  EXPECT_EQ(asked.initialPath, settings.InputFile);
  ASSERT_EQ(files->List()->count(), 3);
  EXPECT_EQ(settings.MergeFileList, "\"/lib/a b.gds\" \"/x/one.gds\" \"/lib/a b.gds\"");

  files->List()->item(0)->setSelected(true);
  files->RemoveButton()->click();
  ASSERT_EQ(files->List()->count(), 2);
  ClickOk(*sheet);
  EXPECT_EQ(settings.MergeMode, kMergeModeAdd);
  EXPECT_EQ(Read("korvex.lst"), "/x/one.gds\r\n/lib/a b.gds\r\n");
}

TEST_F(ConfigurationSheetTest, KeyboardReachesEveryControlTopToBottom) {
  settings.SpecifyCase = 1;
  auto sheet = Open();
  ShowActive(*sheet);
  CCfgPage* page = sheet->CfgPage();
  page->Box(CfgControl::kMerger)->setFocus();
  std::vector<QWidget*> order;
  for (int i = 0; i < 11; ++i) {
    order.push_back(QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  // Combine and the name field are disabled without a merge mode; Tab passes them by.
  const std::vector<QWidget*> expected = {
      page->Box(CfgControl::kMerger),   page->Box(CfgControl::kAdder),    page->Box(CfgControl::kBlender),
      page->Field(CfgControl::kMinWidth), page->Field(CfgControl::kMaxText), page->Box(CfgControl::kUnfold),
      page->Box(CfgControl::kExplode),  page->Box(CfgControl::kPrune),    page->Box(CfgControl::kFixNames),
      page->Box(CfgControl::kSpecifyCase), page->UpperCase()};
  EXPECT_EQ(order, expected);

  // Alt+B is the mnemonic of "Blender"; a mnemonic clicks its button after a short flash.
  QTest::keyClick(sheet.get(), Qt::Key_B, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return page->Box(CfgControl::kBlender)->isChecked(); }));
  EXPECT_FALSE(page->Box(CfgControl::kExplode)->isEnabled());
  // Enter anywhere on the page is OK.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(sheet->result(), QDialog::Accepted);
  EXPECT_EQ(settings.MergeMode, kMergeModeBlend);
}

}  // namespace
}  // namespace korvex
