#include <gtest/gtest.h>

#include <random>

#include "core/options/map_text.h"

namespace korvex {
namespace {

MappingTable Table(std::vector<MappingRow> rows) {
  MappingTable table;
  table.rows = std::move(rows);
  return table;
}

MappingTable Identity(const MappingTable& like) {
  MappingTable table = like;
  for (MappingRow& row : table.rows) row.Output = row.Input;
  return table;
}

std::vector<int> Outputs(const MappingTable& table) {
  std::vector<int> out;
  for (const MappingRow& row : table.rows) out.push_back(row.Output);
  return out;
}

TEST(EncodeMapText, ExampleEncodesAndRoundTrips) {
  const MappingTable table = Table({{1, 1}, {2, 10}, {3, 11}, {4, 11}, {7, 7}, {8, 3}});
  const std::string text = EncodeMapText(table);
  EXPECT_EQ(text, "2-3:10-11,4:11,8:3");
  MappingTable back = Identity(table);
  ApplyMapText(back, text);
  EXPECT_EQ(Outputs(back), Outputs(table));
}

TEST(EncodeMapText, UnchangedRowsGiveEmptyText) {
  EXPECT_EQ(EncodeMapText(Table({})), "");
  EXPECT_EQ(EncodeMapText(Table({{0, 0}, {1, 1}, {2, 2}, {9, 9}})), "");
}

TEST(EncodeMapText, CollapseOntoOwnInputIsStillWritten) {
  EXPECT_EQ(EncodeMapText(Table({{4, 5}, {5, 5}, {6, 5}})), "4-6:5");
  EXPECT_EQ(EncodeMapText(Table({{4, 4}, {5, 4}})), "4-5:4");
}

TEST(EncodeMapText, GapsInInputsBreakRuns) {
  // 3 and 5 are not neighbours: a rule 3-5 would also name layer 4.
  EXPECT_EQ(EncodeMapText(Table({{3, 13}, {5, 15}})), "3:13,5:15");
}

TEST(ApplyMapText, StoredRulesChangeOnlyTheRowsTheyName) {
  MappingTable table = Table({{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}});
  ApplyMapText(table, "2-3:10-11,4:11");
  EXPECT_EQ(Outputs(table), (std::vector<int>{1, 10, 11, 11, 5}));
}

TEST(ApplyMapText, PiecesWithoutColonAreSkippedAndLaterRulesWin) {
  MappingTable table = Table({{1, 1}, {2, 2}, {3, 3}});
  ApplyMapText(table, "junk,1-3:7,,2:9");
  EXPECT_EQ(Outputs(table), (std::vector<int>{7, 9, 7}));
}

TEST(ApplyMapText, ShiftWhoseLastOutputEqualsFirstActsAsCollapse) {
  MappingTable table = Table({{1, 1}, {2, 2}, {3, 3}});
  ApplyMapText(table, "1-3:8-8");
  EXPECT_EQ(Outputs(table), (std::vector<int>{8, 8, 8}));
}

TEST(ApplyMapText, ShiftNearIntegerLimitDoesNotOverflow) {
  MappingTable table = Table({{5, 5}, {6, 6}});
  ApplyMapText(table, "5-6:2147483646-2147483647");
  EXPECT_EQ(Outputs(table), (std::vector<int>{2147483646, 2147483647}));
}

// Random tables over the whole row range: encoding, then applying the text to the same
// rows left unchanged, must give back every output.
TEST(EncodeMapText, RandomTablesRoundTripThroughIdentity) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 500; ++round) {
    MappingTable table;
    // Dense tables make long runs; mostly-unchanged and small-step outputs make many
    // collapse and shift runs next to single rules.
    const int density = 1 + static_cast<int>(random() % 4);
    const int style = static_cast<int>(random() % 3);
    for (int n = 0; n < 1024; ++n) {
      if (static_cast<int>(random() % 4) >= density) continue;
      int out = static_cast<int>(random() % 1025);
      if (style == 1 && random() % 3 != 0) out = n;
      if (style == 2 && !table.rows.empty()) {
        const int prev = table.rows.back().Output;
        out = random() % 2 ? prev : prev + 1;
        if (out > 1024) out = 1024;
      }
      table.rows.push_back({n, out});
    }
    const std::string text = EncodeMapText(table);
    MappingTable back = Identity(table);
    ApplyMapText(back, text);
    ASSERT_EQ(Outputs(back), Outputs(table)) << "round " << round << ": " << text;
  }
}

}  // namespace
}  // namespace korvex
