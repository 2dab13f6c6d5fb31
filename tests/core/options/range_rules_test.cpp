#include <gtest/gtest.h>

#include "core/options/range_rules.h"

namespace korvex {
namespace {

using Kind = ComposedRule::Kind;

ComposedRule Compose(std::string a, std::string b, std::string c, std::string d) {
  return ComposeRule({std::move(a), std::move(b), std::move(c), std::move(d)});
}

TEST(ComposeRule, AcceptsTheLimitsAndRefusesOneBeyondInAnyField) {
  EXPECT_EQ(Compose("1024", "", "0", "").text, "1024:0");
  EXPECT_EQ(Compose("0", "1024", "1", "").text, "0-1024:1");
  for (int field = 0; field < 4; ++field) {
    for (const char* bad : {"1025", "-1"}) {
      std::string f[4] = {"1", "2", "3", "4"};
      f[field] = bad;
      const ComposedRule rule = Compose(f[0], f[1], f[2], f[3]);
      EXPECT_EQ(rule.kind, Kind::kRefused) << field << " " << bad;
      EXPECT_EQ(rule.message, "Ranges should be within 0 to 1024.");
      EXPECT_FALSE(rule.focus.has_value());
    }
  }
}

TEST(ComposeRule, DescendingRangeIsRefusedWithFocusOnSecondField) {
  const ComposedRule rule = Compose("6", "3", "10", "");
  EXPECT_EQ(rule.kind, Kind::kRefused);
  EXPECT_EQ(rule.message, "Ranges should be in increasing order.");
  EXPECT_EQ(rule.focus, RuleField::kB);
  // The limit check comes first.
  EXPECT_EQ(Compose("6", "3", "2000", "").message, "Ranges should be within 0 to 1024.");
}

TEST(ComposeRule, FormsSingleCollapseAndShift) {
  EXPECT_EQ(Compose("5", "5", "9", "").text, "5:9");  // equal bounds: single rule
  EXPECT_EQ(Compose("3", "6", "10", "1").text, "3-6:10-13");  // typed d is recomputed
  EXPECT_EQ(Compose("3", "6", "10", "").text, "3-6:10");
  EXPECT_EQ(Compose(" 7x", "", "+8", "").text, "7:8");  // read like a leading integer
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
