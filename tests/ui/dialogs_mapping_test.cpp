#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QImage>

#include "dialogs_fixture.h"
#include "ui/dialogs/mapping_dialog.h"
#include "ui/dialogs/mapping_rules_dialog.h"
#include "ui/dialogs/row_scroll_bar.h"

namespace korvex {
namespace {

class MappingDialogTest : public testing::DialogTest {
 protected:
  // Layers (or datatypes) 0 .. count-1, all kept.
  std::unique_ptr<MappingDialog> Open(int count, MappingKind kind = MappingKind::kLayers) {
    std::vector<std::string> numbers;
    for (int i = 0; i < count; ++i) numbers.push_back(std::to_string(i));
    settings.LayerList = settings.DatatypeList = "";
    settings.LayerExclude = settings.DatatypeExclude = 1;
    auto dialog = std::make_unique<MappingDialog>(kind, settings, numbers, prompts);
    dialog->open();
    return dialog;
  }
  // The same, shown and active, so that the focus moves as it does for the user.
  std::unique_ptr<MappingDialog> OpenActive(int count) {
    auto dialog = Open(count);
    ShowActive(*dialog);
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

TEST_F(MappingDialogTest, FewRowsShowOnlyTheirSlots) {
  auto dialog = Open(3, MappingKind::kDatatypes);  // types 0, 23, 24 in the IHP S380 layout are three too
  EXPECT_EQ(dialog->ScrollBar()->maximum(), 0);
  for (int slot = 0; slot < MappingModel::kSlots; ++slot) {
    EXPECT_EQ(dialog->SlotField(slot)->isHidden(), slot >= 3) << slot;
    EXPECT_EQ(dialog->SlotLabel(slot)->isHidden(), slot >= 3) << slot;
  }
  // The right-hand column has no rows: its headings go too.
  EXPECT_FALSE(dialog->SlotField(8)->parentWidget()->isVisibleTo(dialog.get()));
  EXPECT_TRUE(dialog->SlotField(0)->parentWidget()->isVisibleTo(dialog.get()));
  Type(dialog->SlotField(1), "7");
  dialog->accept();
  EXPECT_EQ(settings.DatatypeMap, "1:7");
}

TEST_F(MappingDialogTest, MapAllToRefusesNumbersBeyond65535) {
  auto dialog = Open(20);
  Type(dialog->MapAllToField(), "70000");
  dialog->MapAllToButton()->click();
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text, "Please enter an integer between 0 and 65535.");
  EXPECT_EQ(dialog->focusWidget(), dialog->MapAllToField());
  EXPECT_EQ(dialog->SlotField(5)->text(), "5");
  Type(dialog->MapAllToField(), "");
  dialog->MapAllToButton()->click();  // an empty field does nothing
  EXPECT_EQ(prompts.messages.size(), 1u);
  Type(dialog->MapAllToField(), "65535");
  dialog->MapAllToButton()->click();
  EXPECT_EQ(dialog->SlotField(5)->text(), "65535");
  dialog->ScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(dialog->SlotField(15)->text(), "65535");

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

TEST_F(MappingDialogTest, RowOutOfRangeIsRefusedOnceWhenLeftAndTheViewStays) {
  auto dialog = OpenActive(40);
  QLineEdit* field = dialog->SlotField(2);
  field->setFocus(Qt::TabFocusReason);
  Type(field, "70000");
  QTest::keyClick(field, Qt::Key_Tab);
  QCoreApplication::processEvents();
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text, "Please enter an integer between 0 and 65535.");
  EXPECT_EQ(QApplication::focusWidget(), field);

  // A click on the scroll bar both leaves the field and scrolls: one message, no move.
  RowScrollBar* bar = dialog->ScrollBar();
  QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - 4));
  QCoreApplication::processEvents();
  EXPECT_EQ(prompts.messages.size(), 2u);
  EXPECT_EQ(bar->value(), 0);
  EXPECT_EQ(dialog->SlotLabel(2)->text(), "2");
  EXPECT_EQ(QApplication::focusWidget(), field);

  dialog->accept();
  EXPECT_EQ(prompts.messages.size(), 3u);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(settings.LayerMap, "");
  Type(field, "2000");
  dialog->accept();
  EXPECT_EQ(settings.LayerMap, "2:2000");
}

TEST_F(MappingDialogTest, ArrowHeldOnARefusedRowRaisesOneMessage) {
  testing::ReadingPrompts reading;
  std::vector<std::string> layers;
  for (int i = 0; i < 20; ++i) layers.push_back(std::to_string(i));
  settings.LayerList = "";
  settings.LayerExclude = 1;
  auto dialog = std::make_unique<MappingDialog>(MappingKind::kLayers, settings, layers, reading);
  ShowActive(*dialog);
  QLineEdit* field = dialog->SlotField(2);
  field->setFocus(Qt::TabFocusReason);
  Type(field, "70000");
  RowScrollBar* bar = dialog->ScrollBar();
  const QPoint downArrow(bar->width() / 2, bar->height() - 4);
  QTest::mousePress(bar, Qt::LeftButton, {}, downArrow);
  QTest::qWait(800);  // past the repeat delay
  QTest::mouseRelease(bar, Qt::LeftButton, {}, downArrow);
  QTest::qWait(100);
  EXPECT_EQ(reading.messages.size(), 1u);
  EXPECT_EQ(bar->value(), 0);
  EXPECT_EQ(QApplication::focusWidget(), field);
}

TEST_F(MappingDialogTest, CancelIsNotHeldUpByARefusedRow) {
  auto dialog = OpenActive(5);
  QLineEdit* field = dialog->SlotField(1);
  field->setFocus(Qt::TabFocusReason);
  Type(field, "x");
  auto* cancel = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel);
  QTest::mouseClick(cancel, Qt::LeftButton);
  QCoreApplication::processEvents();
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_FALSE(dialog->isVisible());
}

// Mean lightness of a band across the bar at the given fraction of its height.
int Lightness(const QImage& bar, double at) {
  const int y = static_cast<int>(bar.height() * at);
  int sum = 0;
  int count = 0;
  for (int x = bar.width() / 3; x < bar.width() * 2 / 3; ++x, ++count) sum += QColor(bar.pixel(x, y)).lightness();
  return sum / std::max(count, 1);
}

TEST_F(MappingDialogTest, ThumbStandsOutAtTheEndOfTheListThatIsShown) {
  auto dialog = OpenActive(31);  // about two pages, as the 31 layers of the IHP S380 layout
  RowScrollBar* bar = dialog->ScrollBar();
  QImage image = bar->grab().toImage();
  EXPECT_LT(Lightness(image, 0.25), Lightness(image, 0.75)) << "start of the list: the thumb is at the top";
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  ASSERT_EQ(bar->value(), bar->maximum());
  image = bar->grab().toImage();
  EXPECT_GT(Lightness(image, 0.25), Lightness(image, 0.75)) << "end of the list: the thumb is at the bottom";
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
  Fill(dialog, "1", "", "65536", "");
  dialog.AddButton()->click();
  ASSERT_EQ(prompts.messages.size(), 2u);
  EXPECT_EQ(prompts.messages[1].text, "Ranges should be within 0 to 65535.");
  EXPECT_EQ(dialog.focusWidget(), dialog.Field(RuleField::kC));
  EXPECT_EQ(dialog.List()->count(), 0);
}

TEST_F(MappingRulesDialogTest, TypedFieldsAreRefusedNotRewritten) {
  MappingRulesDialog dialog("", prompts);
  ShowActive(dialog);
  Fill(dialog, "abc", "", "10", "");
  dialog.AddButton()->click();
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text, "Map Range from: 'abc' is not a number.");
  EXPECT_EQ(dialog.focusWidget(), dialog.Field(RuleField::kA));
  Fill(dialog, "1", "3", "10", "11");
  QTest::keyClick(dialog.Field(RuleField::kD), Qt::Key_Return);
  ASSERT_EQ(prompts.messages.size(), 2u);
  EXPECT_EQ(prompts.messages[1].text.rfind("The target range 10 to 11 has 2 numbers", 0), 0u);
  EXPECT_EQ(dialog.focusWidget(), dialog.Field(RuleField::kD));
  EXPECT_EQ(dialog.List()->count(), 0);

  // Leaving a field with something that is no number of the range says so at once.
  QLineEdit* to = dialog.Field(RuleField::kB);
  to->setFocus(Qt::TabFocusReason);
  to->selectAll();
  QTest::keyClicks(to, "70000");
  QTest::keyClick(to, Qt::Key_Tab);
  QCoreApplication::processEvents();
  ASSERT_EQ(prompts.messages.size(), 3u);
  EXPECT_EQ(prompts.messages[2].text, "Ranges should be within 0 to 65535.");
  EXPECT_EQ(QApplication::focusWidget(), to);

  Fill(dialog, "1", "3", "10", "12");
  dialog.AddButton()->click();
  EXPECT_EQ(Entries(dialog), (std::vector<std::string>{"1-3:10-12"}));
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

// The help's mapping topic names the one number range and shows only rules that the rules
// dialog would write as they stand.
TEST(MappingHelp, NamesTheOneRangeAndShowsRulesTheDialogWrites) {
  std::ifstream page(std::string(KORVEX_SOURCE_DIR) + "/resources/help/korvex.html");
  std::stringstream text;
  text << page.rdbuf();
  const std::string help = text.str();
  const std::size_t start = help.find("id=\"topic-200\"");
  ASSERT_NE(start, std::string::npos);
  const std::string topic = help.substr(start, help.find("<h2", start + 1) - start);
  EXPECT_NE(topic.find("0 to " + std::to_string(kMaxRuleNumber)), std::string::npos) << topic;
  int examples = 0;
  for (std::size_t at = topic.find("<code>"); at != std::string::npos; at = topic.find("<code>", at + 1)) {
    const std::string rule = topic.substr(at + 6, topic.find("</code>", at) - at - 6);
    const std::size_t colon = rule.find(':');
    ASSERT_NE(colon, std::string::npos) << rule;
    RuleFields fields;
    const std::string in = rule.substr(0, colon), out = rule.substr(colon + 1);
    fields.a = in.substr(0, in.find('-'));
    fields.b = in.find('-') == std::string::npos ? "" : in.substr(in.find('-') + 1);
    fields.c = out.substr(0, out.find('-'));
    fields.d = out.find('-') == std::string::npos ? "" : out.substr(out.find('-') + 1);
    EXPECT_EQ(ComposeRule(fields).text, rule);
    ++examples;
  }
  EXPECT_GT(examples, 0);
}

}  // namespace
}  // namespace korvex
