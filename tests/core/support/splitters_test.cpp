#include "core/support/splitters.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

using Items = std::vector<std::string>;

TEST(SplitWords, LastItemThereIsRoomForKeepsTheRest) {
  EXPECT_EQ(SplitWords("  12  abc  x y z", 4), (Items{"12", "abc", "x y z"}));
  EXPECT_EQ(SplitWords("  12  abc  x y z", 2), (Items{"12  abc  x y z"}));
  EXPECT_EQ(SplitWords("a\tb\x01" "c", kNoLimit), (Items{"a", "b", "c"}));
  EXPECT_EQ(SplitWords("   ", kNoLimit), Items{});
  EXPECT_EQ(SplitWords("a b", 1), Items{});
  // Capacity 6 gives five items; the fifth keeps the rest of the row.
  EXPECT_EQ(SplitWords("TOP (1, 2, 3, 4, 5)", 6), (Items{"TOP", "(1,", "2,", "3,", "4, 5)"}));
}

TEST(SplitQuotedList, QuotedUnquotedAndSingleQuotedNames) {
  EXPECT_EQ(SplitQuotedList("\"a b\" \"c\"", kNoLimit), (Items{"a b", "c"}));
  EXPECT_EQ(SplitQuotedList("a 'b c' d", kNoLimit), (Items{"a", "b c", "d"}));
  EXPECT_EQ(SplitQuotedList("it's x", kNoLimit), (Items{"it's", "x"}));
  EXPECT_EQ(SplitQuotedList("", kNoLimit), Items{});
  EXPECT_EQ(SplitQuotedList("\"/w/a.gds\" \"/w/b c.gds\" \"/w/d.gds\"", kNoLimit),
            (Items{"/w/a.gds", "/w/b c.gds", "/w/d.gds"}));
  // A tab is part of a name; only the blank separates.
  EXPECT_EQ(SplitQuotedList("a\tb c", kNoLimit), (Items{"a\tb", "c"}));
}

TEST(SplitQuotedList, CapacityKeepsTheRestInTheLastItem) {
  EXPECT_EQ(SplitQuotedList("\"a\" \"b\" \"c\"", 3), (Items{"a", "b  \"c\""}));
  // 65 is the old fixed capacity: at most 64 names.
  std::string list;
  for (int i = 0; i < 70; ++i) list += "\"f" + std::to_string(i) + "\" ";
  EXPECT_EQ(SplitQuotedList(list, 65).size(), 64u);
  EXPECT_EQ(SplitQuotedList(list, kNoLimit).size(), 70u);
}

TEST(SplitQuotedList, LeadingDoubleQuotePair) {
  EXPECT_EQ(SplitQuotedList("\"\"a\"\" b", kNoLimit), (Items{"a", "b"}));
  EXPECT_EQ(SplitQuotedList("\"\"a\" b", kNoLimit), (Items{"a", "b"}));
  EXPECT_EQ(SplitQuotedList("\"\"abc", kNoLimit), (Items{"abc"}));
}

}  // namespace
}  // namespace korvex
