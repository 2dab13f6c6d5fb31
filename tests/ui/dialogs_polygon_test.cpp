#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "dialogs_fixture.h"
#include "ui/dialogs/polygon_filtering_dialog.h"

namespace korvex {
namespace {

class PolygonFilteringTest : public testing::DialogTest {
 protected:
  std::unique_ptr<PolygonFilteringDialog> Open() {
    auto dialog = std::make_unique<PolygonFilteringDialog>(settings, prompts);
    dialog->open();
    return dialog;
  }
  static void Type(PolygonFilteringDialog& dialog, PolygonField field, const char* text) {
    QLineEdit* edit = dialog.Field(field);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
  }

  JobSettings settings;
};

TEST_F(PolygonFilteringTest, TickingEnablesTheLimitsAndOkSwitchesOnTrimAndExplode) {
  settings.Prune = 0;
  auto dialog = Open();
  EXPECT_FALSE(dialog->Field(PolygonField::kMinExt)->isEnabled());
  EXPECT_FALSE(dialog->Field(PolygonField::kPolyOff)->isVisibleTo(dialog.get()));
  dialog->OnBox()->click();
  EXPECT_TRUE(dialog->Field(PolygonField::kMaxVertex)->isEnabled());
  Type(*dialog, PolygonField::kMaxExt, "12.5");
  Type(*dialog, PolygonField::kMaxVertex, "");
  QTest::keyClick(dialog->Field(PolygonField::kMinExt), Qt::Key_Return);
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(settings.PFOn, 1);
  EXPECT_EQ(settings.Explode, 1);
  EXPECT_EQ(settings.Prune, 1);
  EXPECT_EQ(settings.MaxExt, 12.5);
  EXPECT_EQ(settings.MaxVertex, 250000);  // an emptied count gets the largest one
}

TEST_F(PolygonFilteringTest, BadFieldKeepsTheEnablingAndTakesTheFocus) {
  settings.PFOn = 1;
  auto dialog = Open();
  Type(*dialog, PolygonField::kHWRatio, "abc");
  dialog->OnBox()->click();
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_TRUE(dialog->Field(PolygonField::kMinExt)->isEnabled());
  EXPECT_EQ(dialog->focusWidget(), dialog->Field(PolygonField::kHWRatio));
}

TEST_F(PolygonFilteringTest, ExtentsAreComparedOnlyWhileFiltering) {
  auto dialog = Open();
  dialog->OnBox()->click();
  Type(*dialog, PolygonField::kMinExt, "9");
  Type(*dialog, PolygonField::kMaxExt, "3");
  dialog->accept();
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text, "Min. extent should be smaller than max. extent.");
  EXPECT_NE(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(settings.PFOn, 0);

  dialog->OnBox()->click();
  dialog->accept();
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(settings.MinExt, 9);
  EXPECT_EQ(settings.MaxExt, 3);
}

TEST_F(PolygonFilteringTest, DebugModeShowsTheTwoExtraFieldsAndHelpIsAsked) {
  settings.DebugMode = 1;
  settings.PolyOff = 7;
  auto dialog = Open();
  EXPECT_TRUE(dialog->Field(PolygonField::kPolyOff)->isVisibleTo(dialog.get()));
  EXPECT_EQ(dialog->Field(PolygonField::kPolyOff)->text(), "7");
  Type(*dialog, PolygonField::kVertCnt, "-4");
  QSignalSpy help(dialog.get(), &PolygonFilteringDialog::HelpRequested);
  dialog->HelpButton()->click();
  EXPECT_EQ(help.count(), 1);
  EXPECT_TRUE(dialog->isVisible());
  dialog->accept();
  EXPECT_EQ(settings.VertCnt, -4);
}

// The help must not promise what OK refuses: a maximum extent of 0 takes part in the order
// check, though the engine reads 0 as "no limit".
TEST_F(PolygonFilteringTest, HelpSaysWhatOkDoesWithAMinimumExtentAndMaximumZero) {
  std::ifstream page(std::string(KORVEX_SOURCE_DIR) + "/resources/help/polygon-filtering.html");
  std::stringstream text;
  text << page.rdbuf();
  std::string help = text.str();
  for (char& c : help) c = c == '\n' ? ' ' : c;
  ASSERT_FALSE(help.empty());
  EXPECT_NE(help.find("Min. Extent 0.5 with Max. Extent 0 is refused"), std::string::npos);
  EXPECT_NE(help.find("up to 10000000"), std::string::npos);

  auto dialog = Open();
  dialog->OnBox()->click();
  Type(*dialog, PolygonField::kMinExt, "0.5");
  Type(*dialog, PolygonField::kMaxExt, "0");
  dialog->accept();
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text, kPolygonExtentOrderMessage);
  Type(*dialog, PolygonField::kMaxExt, "10000000");  // the way out the help gives
  dialog->accept();
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(settings.MaxExt, 10000000);
}

}  // namespace
}  // namespace korvex
