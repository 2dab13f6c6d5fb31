#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "dialogs_fixture.h"
#include "ui/dialogs/mapping_dialog.h"
#include "ui/dialogs/mapping_rules_dialog.h"

namespace korvex {
namespace {

class MappingDialogTest : public testing::DialogTest {
 protected:
  // Layers 0 .. count-1, all kept.
  std::unique_ptr<MappingDialog> Open(int count) {
    std::vector<std::string> layers;
    for (int i = 0; i < count; ++i) layers.push_back(std::to_string(i));
    settings.LayerList = "";
    settings.LayerExclude = 1;
    auto dialog = std::make_unique<MappingDialog>(MappingKind::kLayers, settings, layers, prompts);
    dialog->open();
    return dialog;
  }

  static void Type(QLineEdit* field, const char* text) {
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
  }

  JobSettings settings;
};

TEST_F(MappingDialogTest, FortyRowsScrollOverTwentyFiveTopRows) {
  auto dialog = Open(40);
  QScrollBar* bar = dialog->ScrollBar();
  EXPECT_EQ(bar->minimum(), 0);
  EXPECT_EQ(bar->maximum(), 24);
  EXPECT_EQ(dialog->SlotLabel(0)->text(), "0");
  EXPECT_EQ(dialog->SlotLabel(15)->text(), "15");

  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(bar->value(), 1);
  EXPECT_EQ(dialog->SlotLabel(0)->text(), "1");
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(bar->value(), 17);
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(bar->value(), 24);
  EXPECT_EQ(dialog->SlotLabel(15)->text(), "39");
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(bar->value(), 24);

  // Dragging the thumb.
  bar->setSliderPosition(5);
  bar->triggerAction(QAbstractSlider::SliderMove);
  EXPECT_EQ(dialog->SlotLabel(0)->text(), "5");
  bar->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(bar->value(), 0);
}

TEST_F(MappingDialogTest, TypedValueStaysWhenScrolledAwayAndBack) {
  auto dialog = Open(40);
  Type(dialog->SlotField(3), "77");
  dialog->ScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(dialog->SlotLabel(3)->text(), "19");
  EXPECT_EQ(dialog->SlotField(3)->text(), "19");
  // Page Up from inside a row's field pages back.
  QTest::keyClick(dialog->SlotField(0), Qt::Key_PageUp);
  EXPECT_EQ(dialog->SlotField(3)->text(), "77");

  QTest::keyClick(dialog->SlotField(3), Qt::Key_Return);
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(settings.LayerMap, "3:77");
}

TEST_F(MappingDialogTest, FewRowsLeaveEmptySlotsWhoseTextIsIgnored) {
  auto dialog = Open(3);
  EXPECT_EQ(dialog->ScrollBar()->maximum(), 0);
  EXPECT_EQ(dialog->SlotLabel(3)->text(), "");
  Type(dialog->SlotField(3), "9");
  Type(dialog->SlotField(1), "7");
  dialog->accept();
  EXPECT_EQ(settings.LayerMap, "1:7");
}

TEST_F(MappingDialogTest, MapAllToTakesOnlyNumbersUpTo1024) {
  auto dialog = Open(20);
  for (const char* refused : {"1025", "-3", ""}) {
    Type(dialog->MapAllToField(), refused);
    dialog->MapAllToButton()->click();
    EXPECT_EQ(dialog->SlotField(5)->text(), "5") << refused;
  }
  Type(dialog->MapAllToField(), "1024");
  dialog->MapAllToButton()->click();
  EXPECT_EQ(dialog->SlotField(5)->text(), "1024");
  dialog->ScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(dialog->SlotField(15)->text(), "1024");

  dialog->MapAllToItselfButton()->click();
  EXPECT_EQ(dialog->SlotField(15)->text(), "19");
}

TEST_F(MappingDialogTest, ConfirmedRulesApplyOverTypedValuesAndCancelledOnesChangeNothing) {
  settings.LayerMap = "1-3:10-12";
  auto dialog = Open(5);
  std::string offered;
  std::optional<std::string> answer;
  dialog->SetRulesRunner([&](QWidget*, const std::string& ruleList) {
    offered = ruleList;
    return answer;
  });
  Type(dialog->SlotField(1), "50");
  dialog->AdvanceRulesButton()->click();
  EXPECT_EQ(offered, "1-3:10-12");
  EXPECT_EQ(dialog->SlotField(1)->text(), "50");

  answer = "1-3:10-12,4:0";
  dialog->AdvanceRulesButton()->click();
  EXPECT_EQ(dialog->SlotField(1)->text(), "10");
  EXPECT_EQ(dialog->SlotField(4)->text(), "0");
}

TEST_F(MappingDialogTest, NegativeOutputIsRefusedWithTheFocusOnItsRow) {
  auto dialog = Open(40);
  dialog->ScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
  Type(dialog->SlotField(2), "-1");
  dialog->ScrollBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
  dialog->accept();
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_NE(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(settings.LayerMap, "");
  // The row was scrolled back into view and holds the focus.
  const int slot = 18 - dialog->ScrollBar()->value();
  ASSERT_GE(slot, 0);
  EXPECT_EQ(dialog->SlotLabel(slot)->text(), "18");
  EXPECT_EQ(dialog->focusWidget(), dialog->SlotField(slot));
}

class MappingRulesDialogTest : public testing::DialogTest {
 protected:
  static void Fill(MappingRulesDialog& dialog, const char* a, const char* b, const char* c, const char* d) {
    const char* texts[] = {a, b, c, d};
    for (int i = 0; i < 4; ++i) {
      QLineEdit* field = dialog.Field(static_cast<RuleField>(i));
      field->selectAll();
      QTest::keyClick(field, Qt::Key_Delete);
      QTest::keyClicks(field, texts[i]);
    }
  }
  static std::vector<std::string> Entries(MappingRulesDialog& dialog) {
    std::vector<std::string> entries;
    for (int i = 0; i < dialog.List()->count(); ++i) entries.push_back(dialog.List()->item(i)->text().toStdString());
    return entries;
  }
};

TEST_F(MappingRulesDialogTest, EnterAddsRulesInTheOrderTyped) {
  MappingRulesDialog dialog("5:6", prompts);
  dialog.open();
  Fill(dialog, "3", "4", "10", "");
  QTest::keyClick(dialog.Field(RuleField::kC), Qt::Key_Return);
  Fill(dialog, "1", "", "2", "");
  QTest::keyClick(dialog.Field(RuleField::kA), Qt::Key_Return);
  QTest::keyClick(dialog.Field(RuleField::kA), Qt::Key_Return);  // the same rule is listed once
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(Entries(dialog), (std::vector<std::string>{"5:6", "3-4:10", "1:2"}));
  EXPECT_EQ(dialog.Field(RuleField::kA)->text(), "1");
  dialog.accept();
  EXPECT_EQ(dialog.RuleList(), "5:6,3-4:10,1:2");
}

TEST_F(MappingRulesDialogTest, RefusalsShowTheirMessage) {
  MappingRulesDialog dialog("", prompts);
  dialog.open();
  Fill(dialog, "5", "2", "1", "");
  dialog.AddButton()->click();
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text, "Ranges should be in increasing order.");
  EXPECT_EQ(dialog.focusWidget(), dialog.Field(RuleField::kB));
  Fill(dialog, "1", "", "1025", "");
  dialog.AddButton()->click();
  ASSERT_EQ(prompts.messages.size(), 2u);
  EXPECT_EQ(prompts.messages[1].text, "Ranges should be within 0 to 1024.");
  EXPECT_EQ(dialog.List()->count(), 0);
}

TEST_F(MappingRulesDialogTest, RemoveSelectsTheEntryBeforeTheRemovedOne) {
  MappingRulesDialog dialog("1:2,3:4,5:6", prompts);
  dialog.open();
  dialog.RemoveButton()->click();  // nothing selected
  EXPECT_EQ(dialog.List()->count(), 3);
  dialog.List()->setCurrentRow(2);
  dialog.RemoveButton()->click();
  EXPECT_EQ(Entries(dialog), (std::vector<std::string>{"1:2", "3:4"}));
  EXPECT_EQ(dialog.List()->currentRow(), 1);
  dialog.List()->setCurrentRow(0);
  dialog.RemoveButton()->click();
  dialog.RemoveButton()->click();
  EXPECT_EQ(dialog.List()->count(), 0);
  EXPECT_EQ(dialog.RuleList(), "");
}

}  // namespace
}  // namespace korvex
