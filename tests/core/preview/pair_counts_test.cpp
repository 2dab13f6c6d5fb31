#include "core/preview/pair_counts.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

TEST(PairCountsTest, ReadsKeptRenumberedAndDroppedPairsAmongOtherLines) {
  const std::vector<PairCount> pairs = ReadPairCounts(
      "korvexe.exe 1.0\r\n"
      "Pair 8/0 -> 108/0: 1234 in, 1234 out\r\n"
      "Warning: something\n"
      "Pair 9/0 -> dropped: 56 in\n"
      "Pair 65535/65535 -> 65535/65535: 18446744073709551615 in, 0 out");
  ASSERT_EQ(pairs.size(), 3u);
  EXPECT_EQ(pairs[0].layer, 8);
  EXPECT_EQ(pairs[0].newLayer, 108);
  EXPECT_EQ(pairs[0].newDatatype, 0);
  EXPECT_EQ(pairs[0].in, 1234u);
  EXPECT_EQ(pairs[0].out, 1234u);
  EXPECT_FALSE(pairs[0].dropped);
  EXPECT_TRUE(pairs[1].dropped);
  EXPECT_EQ(pairs[1].layer, 9);
  EXPECT_EQ(pairs[1].in, 56u);
  EXPECT_EQ(pairs[2].in, 18446744073709551615u);
}

TEST(PairCountsTest, LinesThatDoNotReadWholeArePassedOver) {
  EXPECT_TRUE(ReadPairCounts("Pair 8/0 -> 108/0: 12 in\n"
                             "Pair 8/0 -> 108/0: 12 in, 12 out and more\n"
                             "Pair 8 -> dropped: 5 in\n"
                             "Pair 8/0 -> dropped: -5 in\n"
                             " Pair 8/0 -> dropped: 5 in\n"
                             "Pair 8/0 -> dropped: 5 in, 0 out\n")
                  .empty());
}

TEST(PairCountsTest, RenamesAreReadFromTheirOwnLines) {
  EXPECT_EQ(ReadRenames("Pair 1/0 -> 1/0: 1 in, 1 out\r\nRenamed: A -> B\r\nWarning: Renamed: no\nRenamed: C -> D (x.gds)"),
            (std::vector<std::string>{"A -> B", "C -> D (x.gds)"}));
}

}  // namespace
}  // namespace korvex
