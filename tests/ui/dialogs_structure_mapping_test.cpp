#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "dialogs_fixture.h"
#include "ui/dialogs/row_scroll_bar.h"
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

// The GLTVIA2 cells of the IHP S380 layout have 34-character names, one more than an
// output name may have; their neighbours differ only in the middle.
const std::string kLongName = "GLTVIA2_NEW_T231_SG13S_Wolansky_EM";
const std::string kLongNeighbour = "GLVIA2_NEW_T231_SG13S_Wolansky_EM";

std::vector<std::string> LongNamesAndMore() {
  std::vector<std::string> names{kLongNeighbour, kLongName};
  for (int i = 0; i < 20; ++i) names.push_back(std::string(1, 'S').append(std::to_string(i)));
  return names;
}

TEST_F(StructureMappingTest, LongScannedNameLeftAsItWasScrollsAndSavesSilently) {
  auto dialog = Open(LongNamesAndMore());
  dialog->OutputField(1)->setFocus(Qt::TabFocusReason);
  dialog->ScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  dialog->ScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(dialog->ScrollBar()->value(), 2);
  dialog->ScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
  dialog->OkButton()->click();
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_FALSE(std::filesystem::exists(PathOf("korvex.smp")));  // every row maps to itself
}

TEST_F(StructureMappingTest, ArrowHeldOnARefusedRowRaisesOneMessage) {
  testing::ReadingPrompts reading;
  std::vector<std::string> names;
  for (int i = 0; i < 25; ++i) names.push_back(std::string(1, 'S').append(std::to_string(i)));
  StructureMappingDialog dialog(settings, names, reading);
  ShowActive(dialog);
  TypeInto(dialog.OutputField(2), "S1");
  RowScrollBar* bar = dialog.ScrollBar();
  const QPoint downArrow(bar->width() / 2, bar->height() - 4);
  QTest::mousePress(bar, Qt::LeftButton, {}, downArrow);
  QTest::qWait(800);  // the arrow stays pressed past the repeat delay
  QTest::mouseRelease(bar, Qt::LeftButton, {}, downArrow);
  QTest::qWait(100);
  EXPECT_EQ(reading.messages.size(), 1u);
  EXPECT_EQ(bar->value(), 0);
  EXPECT_EQ(dialog.NameField(0)->text(), "S0");
  ASSERT_NE(QApplication::focusWidget(), nullptr);
  EXPECT_EQ(QApplication::focusWidget()->parentWidget(), &dialog);
  EXPECT_TRUE(QApplication::focusWidget() == dialog.OutputField(1) || QApplication::focusWidget() == dialog.OutputField(2));
}

TEST_F(StructureMappingTest, LongNamesLoseTheirMiddleAndShowWholeInTheToolTip) {
  auto dialog = Open(LongNamesAndMore());
  QLineEdit* name = dialog->NameField(1);
  name->setFixedWidth(150);
  dialog->NameField(0)->setFixedWidth(150);
  QCoreApplication::processEvents();
  const QString shown = name->text();
  EXPECT_NE(shown.toStdString(), kLongName);
  EXPECT_TRUE(shown.startsWith("GLT")) << shown.toStdString();
  EXPECT_TRUE(shown.endsWith("_EM")) << shown.toStdString();
  EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
  EXPECT_NE(shown, dialog->NameField(0)->text());  // the two neighbours still look different
  EXPECT_EQ(name->toolTip().toStdString(), kLongName);
  EXPECT_EQ(dialog->NameField(2)->toolTip(), "S0");

  name->setFixedWidth(600);
  QCoreApplication::processEvents();
  EXPECT_EQ(name->text().toStdString(), kLongName);

  // An output field not being edited shows the start of its name, where neighbours differ.
  QLineEdit* output = dialog->OutputField(1);
  EXPECT_EQ(output->cursorPosition(), 0);
  EXPECT_EQ(output->toolTip().toStdString(), kLongName);
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
