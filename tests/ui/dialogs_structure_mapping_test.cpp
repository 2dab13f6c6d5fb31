#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "dialogs_fixture.h"
#include "ui/dialogs/structure_mapping_dialog.h"

namespace korvex {
namespace {

class StructureMappingTest : public testing::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    settings.WorkingDirectory = m_dir.string();
    settings.Prune = 0;
  }
  std::unique_ptr<StructureMappingDialog> Open(std::vector<std::string> names) {
    auto dialog = std::make_unique<StructureMappingDialog>(settings, std::move(names), prompts);
    ShowActive(*dialog);
    return dialog;
  }
  // Types into a row's field after moving the focus there, as the user would with Tab.
  static void TypeInto(QLineEdit* field, const char* text) {
    field->setFocus(Qt::TabFocusReason);
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
  }

  JobSettings settings;
};

TEST_F(StructureMappingTest, SwappingTwoNamesFieldByFieldPasses) {
  auto dialog = Open({"A", "B", "C"});
  TypeInto(dialog->OutputField(0), "B");
  TypeInto(dialog->OutputField(1), "A");
  dialog->OkButton()->setFocus();
  dialog->OkButton()->click();
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(Read("korvex.smp"), "A B\r\nB A\r\n");
}

TEST_F(StructureMappingTest, ClashNamesTheStructureThatHoldsTheName) {
  auto dialog = Open({"A", "B"});
  TypeInto(dialog->OutputField(0), "B");
  QTest::keyClick(dialog->OutputField(0), Qt::Key_Return);
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text,
            "Structure name 'B' already defined for 'B'.\nSpecify a unique output structure name for each structure.");
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(QApplication::focusWidget(), dialog->OutputField(0));
  EXPECT_FALSE(std::filesystem::exists(PathOf("korvex.smp")));
}

TEST_F(StructureMappingTest, ClearedFieldGetsItsOwnNameBackWhenLeft) {
  auto dialog = Open({"A", "B"});
  TypeInto(dialog->OutputField(0), "");
  QTest::keyClick(dialog->OutputField(0), Qt::Key_Tab);
  EXPECT_EQ(dialog->OutputField(0)->text(), "A");
}

TEST_F(StructureMappingTest, ScrollingChecksTheRowsAndKeepsTheNames) {
  std::vector<std::string> names;
  for (int i = 0; i < 25; ++i) names.push_back(std::string(1, 'S').append(std::to_string(i)));
  auto dialog = Open(names);
  EXPECT_EQ(dialog->ScrollBar()->maximum(), 15);
  TypeInto(dialog->OutputField(2), "S1");
  dialog->ScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(dialog->ScrollBar()->value(), 0);
  EXPECT_EQ(dialog->NameField(0)->text(), "S0");

  TypeInto(dialog->OutputField(2), "NEW");
  dialog->ScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(dialog->NameField(0)->text(), "S10");
  QTest::keyClick(dialog->OutputField(0), Qt::Key_PageUp);
  EXPECT_EQ(dialog->OutputField(2)->text(), "NEW");
}

TEST_F(StructureMappingTest, FewStructuresDisableTheEmptyRows) {
  auto dialog = Open({"A", "B", "C", "D"});
  EXPECT_EQ(dialog->ScrollBar()->maximum(), 0);
  EXPECT_TRUE(dialog->OutputField(3)->isEnabled());
  EXPECT_FALSE(dialog->OutputField(4)->isEnabled());
  EXPECT_FALSE(dialog->OutputField(9)->isEnabled());
}

TEST_F(StructureMappingTest, TrimmingShowsTheNoticeAndDisablesOk) {
  settings.Prune = 1;
  Write("korvex.smp", "A NEW NAME\r\n");
  auto dialog = Open({"A"});
  EXPECT_EQ(dialog->Notice()->text(), "Structure Mapping is disabled when 'Trim Off Empty Trees' is turned on.");
  EXPECT_FALSE(dialog->OkButton()->isEnabled());
  EXPECT_EQ(dialog->OutputField(0)->text(), "NEW NAME");
  QTest::keyClick(dialog.get(), Qt::Key_Escape);
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_EQ(Read("korvex.smp"), "A NEW NAME\r\n");
}

}  // namespace
}  // namespace korvex
