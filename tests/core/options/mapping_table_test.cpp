#include <gtest/gtest.h>

#include "core/options/mapping_table.h"

namespace korvex {
namespace {

std::vector<int> Inputs(const MappingTable& table) {
  std::vector<int> in;
  for (const MappingRow& row : table.rows) in.push_back(row.Input);
  return in;
}

TEST(BuildMappingTable, KeepsIncludedLayersFoundByTheScanInNumberOrder) {
  JobSettings settings;
  settings.LayerList = "63,1,5,10";
  const MappingTable table =
      BuildMappingTable(MappingKind::kLayers, settings, {"10", "5", "07", "63", "2000", "x", "1", "5x"});
  EXPECT_EQ(Inputs(table), (std::vector<int>{1, 5, 10, 63}));  // "07" is not 7
  for (const MappingRow& row : table.rows) EXPECT_EQ(row.Output, row.Input);
}

TEST(BuildMappingTable, ExcludeListDropsTheListedAndKeepsTheRestUpTo65535) {
  JobSettings settings;
  settings.DatatypeList = "1";
  settings.DatatypeExclude = 1;
  const std::vector<std::string> scanned{"65535", "0", "1", "10", "1023", "1024", "2000", "65536", "-5", "+7"};
  EXPECT_EQ(Inputs(BuildMappingTable(MappingKind::kDatatypes, settings, scanned)),
            (std::vector<int>{0, 10, 1023, 1024, 2000, 65535}));
}

TEST(BuildMappingTable, EmptyIncludeListOffersNoRows) {
  JobSettings settings;
  settings.LayerMap = "1:2";
  const MappingTable table = BuildMappingTable(MappingKind::kLayers, settings, {"1", "2"});
  EXPECT_TRUE(table.rows.empty());
  EXPECT_EQ(table.ruleList, "1:2");
}

TEST(BuildMappingTable, AppliesAndCopiesTheStoredMapOfItsKindOnly) {
  JobSettings settings;
  settings.LayerList = "1,2,3";
  settings.DatatypeList = "1,2,3";
  settings.LayerMap = "1-2:10-11";
  settings.DatatypeMap = "3:0";
  const std::vector<std::string> scanned{"1", "2", "3", "3"};
  const MappingTable layers = BuildMappingTable(MappingKind::kLayers, settings, scanned);
  ASSERT_EQ(layers.rows.size(), 3u);  // a number named twice still gives one row
  EXPECT_EQ(layers.rows[0].Output, 10);
  EXPECT_EQ(layers.rows[1].Output, 11);
  EXPECT_EQ(layers.rows[2].Output, 3);
  EXPECT_EQ(layers.ruleList, "1-2:10-11");
  const MappingTable types = BuildMappingTable(MappingKind::kDatatypes, settings, scanned);
  EXPECT_EQ(types.rows[2].Output, 0);
  EXPECT_EQ(types.ruleList, "3:0");
  EXPECT_STREQ(MappingKindLabel(types.kind), "Type");
}

}  // namespace
}  // namespace korvex
