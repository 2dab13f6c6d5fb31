#include "core/inspect/scan_result.h"

#include <gtest/gtest.h>

#include <limits>

namespace korvex {
namespace {

TEST(ScanResultTest, FreshRecordHasItsStartValuesAndFullTables) {
  const ScanResult scan;
  EXPECT_EQ(scan.StructureCount, 0);
  EXPECT_EQ(scan.Resolution, 1);
  EXPECT_EQ(scan.UserUnits, "UM");
  EXPECT_EQ(scan.StructureNames.size(), 32768u);
  EXPECT_EQ(scan.Extents.size(), 32768u);
  EXPECT_EQ(scan.Layers.size(), 2048u);
  EXPECT_EQ(scan.Datatypes.size(), 1024u);
}

TEST(ScanResultTest, NameCheckWeighsEachByteByItsPosition) {
  EXPECT_EQ(NameCheck(""), 0);
  EXPECT_EQ(NameCheck("AB"), (1 * 'A' + 2 * 'B') % 256);
  EXPECT_EQ(NameCheck("\xff\xff"), (1 * 255 + 2 * 255) % 256);
}

TEST(ScanResultTest, FindStructureAnswersTheFirstExactMatch) {
  ScanResult scan;
  // "AB" and "?C" share a check value, so only the name comparison tells them apart.
  ASSERT_EQ(NameCheck("AB"), NameCheck("?C"));
  for (const char* name : {"AB", "?C", "ab", "AB", "A"}) AppendStructure(scan, name);
  EXPECT_EQ(FindStructure(scan, "AB"), 0);
  EXPECT_EQ(FindStructure(scan, "?C"), 1);
  EXPECT_EQ(FindStructure(scan, "ab"), 2);
  EXPECT_EQ(FindStructure(scan, "A"), 4);
  EXPECT_EQ(FindStructure(scan, "AB "), std::nullopt);
  EXPECT_EQ(FindStructure(scan, ""), std::nullopt);
}

TEST(ScanResultTest, ResetForgetsStructuresButKeepsUnits) {
  ScanResult scan;
  AppendStructure(scan, "A");
  MarkStructure(scan, "A");
  scan.LayerCount = 3;
  scan.TopStructure = std::string(1, 'A');  // a literal here trips a false GCC 12 -Wrestrict
  scan.Resolution = 1000;
  scan.UserUnits = " NM";
  ResetScanResult(scan);
  EXPECT_EQ(scan.StructureCount, 0);
  EXPECT_EQ(scan.LayerCount, 0);
  EXPECT_EQ(scan.TreeCount, 0);
  EXPECT_EQ(scan.TreeMarks[0], 0);
  EXPECT_TRUE(scan.TopStructure.empty());
  EXPECT_EQ(FindStructure(scan, "A"), std::nullopt);
  EXPECT_EQ(scan.Resolution, 1000);
  EXPECT_EQ(scan.UserUnits, " NM");
}

TEST(ScanResultTest, MarkingCountsEachStructureOnce) {
  ScanResult scan;
  AppendStructure(scan, "A");
  AppendStructure(scan, "B");
  MarkStructure(scan, "B");
  MarkStructure(scan, "B");
  MarkStructure(scan, "missing");
  EXPECT_EQ(scan.TreeCount, 1);
  EXPECT_EQ(scan.TreeMarks[1], 1);
}

std::string Coordinate(std::int32_t resolution, std::int32_t value) {
  ScanResult scan;
  scan.Resolution = resolution;
  return FormatCoordinate(scan, value);
}

TEST(FormatCoordinateTest, ShowsAsManyDecimalsAsTheResolutionNeeds) {
  EXPECT_EQ(Coordinate(1000, 12005), "12.005");
  EXPECT_EQ(Coordinate(1000, -1500), "-1.500");
  EXPECT_EQ(Coordinate(1000, 5), "0.005");
  EXPECT_EQ(Coordinate(1000, 0), "0.000");
  EXPECT_EQ(Coordinate(2000, 3001), "1.5005");
  EXPECT_EQ(Coordinate(1, 12), "12.");
  EXPECT_EQ(Coordinate(3, 2), "0.7");
}

TEST(FormatCoordinateTest, ExtremeValuesAndResolutionsStaySound) {
  EXPECT_EQ(Coordinate(0, 12), "");
  EXPECT_EQ(Coordinate(-1000, 12), "");
  EXPECT_EQ(Coordinate(1000, std::numeric_limits<std::int32_t>::min()), "-2147483.648");
  EXPECT_EQ(Coordinate(1, std::numeric_limits<std::int32_t>::min()), "-2147483648.");
  EXPECT_EQ(Coordinate(std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::max() - 1),
            "0.9999999995");
}

}  // namespace
}  // namespace korvex
