#include <gtest/gtest.h>

#include "core/options/range_rules.h"

namespace korvex {
namespace {

using Kind = ComposedRule::Kind;

ComposedRule Compose(std::string a, std::string b, std::string c, std::string d) {
  return ComposeRule({std::move(a), std::move(b), std::move(c), std::move(d)});
}

TEST(ComposeRule, AcceptsTheLimitsAndRefusesOneBeyondInAnyField) {
  EXPECT_EQ(Compose("65535", "", "0", "").text, "65535:0");
  EXPECT_EQ(Compose("0", "65535", "1", "").text, "0-65535:1");
  EXPECT_EQ(Compose("1024", "2000", "60000", "60976").text, "1024-2000:60000-60976");
  for (int field = 0; field < 4; ++field) {
    for (const char* bad : {"65536", "-1", "99999999999999999999"}) {
      std::string f[4] = {"1", "2", "3", "4"};
      f[field] = bad;
      const ComposedRule rule = Compose(f[0], f[1], f[2], f[3]);
      EXPECT_EQ(rule.kind, Kind::kRefused) << field << " " << bad;
      EXPECT_EQ(rule.message, "Ranges should be within 0 to 65535.");
      EXPECT_EQ(rule.focus, static_cast<RuleField>(field));
    }
  }
}

TEST(ComposeRule, DescendingRangeIsRefusedWithFocusOnItsSecondField) {
  const ComposedRule rule = Compose("6", "3", "10", "");
  EXPECT_EQ(rule.kind, Kind::kRefused);
  EXPECT_EQ(rule.message, "Ranges should be in increasing order.");
  EXPECT_EQ(rule.focus, RuleField::kB);
  EXPECT_EQ(Compose("3", "6", "10", "1").focus, RuleField::kD);
  // The limit check comes first.
  EXPECT_EQ(Compose("6", "3", "70000", "").message, "Ranges should be within 0 to 65535.");
}

TEST(ComposeRule, FieldThatIsNotANumberIsRefusedNotReadAsZero) {
  const ComposedRule abc = Compose("abc", "", "10", "");
  EXPECT_EQ(abc.kind, Kind::kRefused);
  EXPECT_EQ(abc.message, "Map Range from: 'abc' is not a number.");
  EXPECT_EQ(abc.focus, RuleField::kA);
  EXPECT_EQ(Compose("1", "3x", "10", "").message, "Map Range to: '3x' is not a number.");
  EXPECT_EQ(Compose("1", "", "1.5", "").focus, RuleField::kC);
  EXPECT_EQ(Compose("1", "3", "10", "z").message, "To Range to: 'z' is not a number.");
  EXPECT_EQ(Compose("", "", "10", "").message, "Map Range from: a number is needed.");
  EXPECT_EQ(Compose("4", "", " ", "").message, "To Range from: a number is needed.");
  EXPECT_EQ(Compose(" 7 ", "", "+8", "").text, "7:8");  // blanks and a plus sign are fine
}

TEST(ComposeRule, TargetRangeOfAnotherLengthIsRefusedNotStretched) {
  const ComposedRule rule = Compose("1", "3", "10", "11");
  EXPECT_EQ(rule.kind, Kind::kRefused);
  EXPECT_EQ(rule.focus, RuleField::kD);
  EXPECT_EQ(rule.message,
            "The target range 10 to 11 has 2 numbers, the source range 1 to 3 has 3 numbers.\nGive a target range of the "
            "same length, or leave To Range to empty to map the whole source range to one number.");
  EXPECT_EQ(Compose("1", "", "10", "11").kind, Kind::kRefused);
  EXPECT_EQ(Compose("1", "3", "10", "10").kind, Kind::kRefused);
  EXPECT_EQ(Compose("1", "3", "10", "12").text, "1-3:10-12");
}

TEST(ComposeRule, FormsSingleCollapseAndShift) {
  EXPECT_EQ(Compose("5", "5", "9", "").text, "5:9");  // equal bounds: single rule
  EXPECT_EQ(Compose("5", "5", "9", "9").text, "5:9");
  EXPECT_EQ(Compose("5", "", "9", "9").text, "5:9");
  EXPECT_EQ(Compose("3", "6", "10", "13").text, "3-6:10-13");
  EXPECT_EQ(Compose("3", "6", "10", "").text, "3-6:10");
}

TEST(ComposeRule, RuleThatLeavesItsFirstInputAloneIsSilentlyDropped) {
  for (const ComposedRule& rule : {Compose("2", "", "2", ""), Compose("2", "9", "2", "9"),
                                   Compose("2", "9", "2", "")}) {
    EXPECT_EQ(rule.kind, Kind::kNothing);
    EXPECT_TRUE(rule.message.empty());
    EXPECT_TRUE(rule.text.empty());
  }
}

TEST(RuleList, SplitsAndJoinsInOrder) {
  const std::vector<std::string> rules = SplitRuleList("5:9,1-3:10-12,2:2");
  EXPECT_EQ(rules, (std::vector<std::string>{"5:9", "1-3:10-12", "2:2"}));
  EXPECT_EQ(JoinRuleList(rules), "5:9,1-3:10-12,2:2");
  EXPECT_TRUE(SplitRuleList("").empty());
  EXPECT_EQ(JoinRuleList({}), "");
}

}  // namespace
}  // namespace korvex
