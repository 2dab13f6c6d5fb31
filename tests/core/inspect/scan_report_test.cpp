#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

#include "core/inspect/scan_report.h"
#include "report_fixture.h"

namespace korvex {
namespace {

using testing::Lines;
using ::testing::ElementsAre;

class ScanReportTest : public testing::ReportTest {};

const std::string kSmallReport = Lines({
    "STRUCTURE_LIST", "1) TOP", "2) A", "",
    "LAYERS_CONTAINING_DATA", "Layers:", "1,2", "",
    "DATATYPES_USED", "Datatypes:", "0", "",
    "STRUCTURE_ELEMENT_COUNTS", "name (Boundary, Path, ARef, SRef, Text)",
    "TOP (1, 0, 0, 1, 0)", "A (2, 1, 0, 0, 3)", "",
    "STRUCTURE EXTENTS", "Resolution: 1000", "User Units: 0.001", "name (MinX, MinY, MaxX, MaxY)",
    "TOP (0, 0, 10, 10)", "A (0, 0, 5, 2.5)", "",
    "HIERARCHY of INDEPENDENT STRUCTURES", "", "TOP", "  |", "  |__ A",
});

TEST_F(ScanReportTest, SmallReportFillsEveryField) {
  const ScanReportRead read = Read(kSmallReport);
  EXPECT_TRUE(read.opened);
  EXPECT_FALSE(read.Cut());
  EXPECT_THAT(Names(), ElementsAre("TOP", "A"));
  EXPECT_EQ(scan.NameChecks[0], NameCheck("TOP"));
  EXPECT_EQ(scan.NameChecks[1], 'A');
  ASSERT_EQ(scan.LayerCount, 2);
  EXPECT_EQ(scan.Layers[0], "1");
  EXPECT_EQ(scan.Layers[1], "2");
  ASSERT_EQ(scan.DatatypeCount, 1);
  EXPECT_EQ(scan.Datatypes[0], "0");
  const ElementCount& top = scan.ElementCounts[0];
  const ElementCount& a = scan.ElementCounts[1];
  EXPECT_EQ((std::vector{top.Boundary, top.Path, top.ARef, top.SRef, top.Text}), (std::vector{1, 0, 0, 1, 0}));
  EXPECT_EQ((std::vector{a.Boundary, a.Path, a.ARef, a.SRef, a.Text}), (std::vector{2, 1, 0, 0, 3}));
  EXPECT_EQ(scan.Resolution, 1000);
  EXPECT_EQ(scan.UserUnits, " 0.001");
  EXPECT_EQ((std::vector{scan.Extents[0].MinX, scan.Extents[0].MinY, scan.Extents[0].MaxX, scan.Extents[0].MaxY}),
            (std::vector{0, 0, 10000, 10000}));
  EXPECT_EQ((std::vector{scan.Extents[1].MinX, scan.Extents[1].MinY, scan.Extents[1].MaxX, scan.Extents[1].MaxY}),
            (std::vector{0, 0, 5000, 2500}));
  EXPECT_EQ(scan.TopStructure, "TOP");
  EXPECT_THAT(MarkedNames(), ElementsAre("TOP", "A"));
  EXPECT_EQ(scan.TreeCount, 2);
  EXPECT_EQ(FormatCoordinate(scan, 10000), "10.000");
}

TEST_F(ScanReportTest, MissingReportIsNotOpenedAndChangesNothing) {
  ResetScanResult(scan);
  AppendStructure(scan, "KEPT");
  const ScanReportRead read = ReadScanReport(scan, (m_dir / "absent.ssn").string());
  EXPECT_FALSE(read.opened);
  EXPECT_THAT(Names(), ElementsAre("KEPT"));
}

TEST_F(ScanReportTest, LastLineWithoutLineFeedIsNotRead) {
  Read("STRUCTURE_LIST\n1) A\n2) B");
  EXPECT_THAT(Names(), ElementsAre("A"));
}

TEST_F(ScanReportTest, StructureNamesKeepTrailingBlanksAndAreCutAt34) {
  const std::string forty(40, 'N');
  Read(Lines({"STRUCTURE_LIST", "7) CELL_A", "7)   CELL_A  ", "x)\t \tTAB", "1)" + forty, "12)", ""}));
  EXPECT_THAT(Names(), ElementsAre("CELL_A", "CELL_A  ", "TAB", std::string(34, 'N'), ""));
  EXPECT_EQ(scan.NameChecks[3], NameCheck(std::string(34, 'N')));
}

TEST_F(ScanReportTest, LineWithoutBracketAfterMarkerEndsTheListAtOnce) {
  Read(Lines({"STRUCTURE_LIST", "Number  Name", "1) TOP", ""}));
  EXPECT_EQ(scan.StructureCount, 0);
}

TEST_F(ScanReportTest, LaterStructureListsAreAppended) {
  Read(Lines({"STRUCTURE_LIST", "1) A", "", "noise", "STRUCTURE_LIST", "1) B", "2) C"}));
  EXPECT_THAT(Names(), ElementsAre("A", "B", "C"));
}

TEST_F(ScanReportTest, LayerPiecesAreKeptAsWrittenWithoutEmptyOnes) {
  Read(Lines({"LAYERS_CONTAINING_DATA", "heading", "1,2, 5", "  7,8", "1,,2,", "1234567,x", "", "99"}));
  std::vector<std::string> layers(scan.Layers.begin(), scan.Layers.begin() + scan.LayerCount);
  EXPECT_THAT(layers, ElementsAre("1", "2", " 5", "7", "8", "1", "2", "123456", "x"));
}

TEST_F(ScanReportTest, LineRightAfterTheMarkerIsAlwaysSkippedAndOnlyTheFirstSectionCounts) {
  Read(Lines({"LAYERS_CONTAINING_DATA", "1,2", "3", "", "DATATYPES_USED", "h", "12345678,9", "",
              "LAYERS_CONTAINING_DATA", "h", "4", ""}));
  ASSERT_EQ(scan.LayerCount, 1);
  EXPECT_EQ(scan.Layers[0], "3");
  ASSERT_EQ(scan.DatatypeCount, 2);
  EXPECT_EQ(scan.Datatypes[0], "1234567");
  EXPECT_EQ(scan.Datatypes[1], "9");
}

TEST_F(ScanReportTest, CountRowsTakeFiveValuesAndEndAtAShortRow) {
  Read(Lines({"STRUCTURE_LIST", "1) A", "2) B", "3) C", "", "STRUCTURE_ELEMENT_COUNTS: 3", "h",
              "A (3, 0, 1, 2, 10, 99)", "B (1,2,3,4)", "C (5, 5, 5, 5, 5)"}));
  const ElementCount& a = scan.ElementCounts[0];
  EXPECT_EQ((std::vector{a.Boundary, a.Path, a.ARef, a.SRef, a.Text}), (std::vector{3, 0, 1, 2, 10}));
  EXPECT_EQ(scan.ElementCounts[1].Boundary, 0);
  EXPECT_EQ(scan.ElementCounts[2].Boundary, 0);
}

TEST_F(ScanReportTest, RowsAreMatchedByOrderAndMissingRowsLeaveZeros) {
  Read(Lines({"STRUCTURE_LIST", "1) A", "2) B", "3) C", "", "STRUCTURE_ELEMENT_COUNTS", "h",
              "B (7, 0, 0, 0, 0)", "A (8, 0, 0, 0, 0) tail", "C (9, 0, 0, 0, 0", "never (1,1,1,1,1)"}));
  EXPECT_EQ(scan.ElementCounts[0].Boundary, 7);
  EXPECT_EQ(scan.ElementCounts[1].Boundary, 8);
  EXPECT_EQ(scan.ElementCounts[2].Boundary, 0);
}

TEST_F(ScanReportTest, CountsAreZeroedBeforeEachRead) {
  Read(Lines({"STRUCTURE_LIST", "1) A", "", "STRUCTURE_ELEMENT_COUNTS", "h", "A (4, 4, 4, 4, 4)"}));
  ASSERT_EQ(scan.ElementCounts[0].Text, 4);
  Read(Lines({"STRUCTURE_LIST", "1) A", ""}));
  EXPECT_EQ(scan.ElementCounts[0].Text, 0);
}

std::string ExtentsReport(const std::string& row) {
  return Lines({"STRUCTURE_LIST", "1) A", "", "STRUCTURE EXTENTS", "Resolution: 1000", "User Units: UM", "h", row});
}

std::vector<std::int32_t> ExtentOf(const ScanResult& scan, int index) {
  const Extent& e = scan.Extents[index];
  return {e.MinX, e.MinY, e.MaxX, e.MaxY};
}

TEST_F(ScanReportTest, ExtentsAreScaledByTheResolution) {
  Read(ExtentsReport("A (0.5, -1.25, 10, 20)"));
  EXPECT_EQ(ExtentOf(scan, 0), (std::vector<std::int32_t>{500, -1250, 10000, 20000}));
}

TEST_F(ScanReportTest, ExtentsRoundWhereBinaryRealsFallJustShort) {
  // 1.005 x 1000 is 1004.9999999999999 in binary; the scanner meant 1005.
  Read(ExtentsReport("A (1.005, -1.005, 2.675, 0.001)"));
  EXPECT_EQ(ExtentOf(scan, 0), (std::vector<std::int32_t>{1005, -1005, 2675, 1}));
  EXPECT_EQ(FormatCoordinate(scan, scan.Extents[0].MinX), "1.005");
}

TEST_F(ScanReportTest, ExtentsOutsideThe32BitRangeAreHeldAtItsLimitsAndCounted) {
  EXPECT_EQ(Read(ExtentsReport("A (1e400, -3000000, nan, inf)")).extentsSaturated, 1u);
  EXPECT_EQ(ExtentOf(scan, 0), (std::vector<std::int32_t>{std::numeric_limits<std::int32_t>::max(),
                                                          std::numeric_limits<std::int32_t>::min(), 0, 0}));
  // The scanner writes exact values: a path that reaches 9900 units past the limit, one that
  // ends on it, one just below the lower limit.
  const ScanReportRead read = Read(Lines({"STRUCTURE_LIST", "1) A", "2) B", "3) C", "", "STRUCTURE EXTENTS",
                                          "Resolution: 1000", "User Units: UM", "h",
                                          "A (2147473.647, -10, 2147493.547, 10)",
                                          "B (-2147483.648, 0, 2147483.647, 1)",
                                          "C (-2147483.649, 0, 0, 1)"}));
  EXPECT_EQ(read.extentsSaturated, 2u);
  EXPECT_FALSE(read.Cut());
  EXPECT_EQ(ExtentOf(scan, 0), (std::vector<std::int32_t>{2147473647, -10000, 2147483647, 10000}));
  EXPECT_EQ(ExtentOf(scan, 1), (std::vector<std::int32_t>{-2147483647 - 1, 0, 2147483647, 1000}));
  EXPECT_EQ(ExtentOf(scan, 2)[0], -2147483647 - 1);
  EXPECT_EQ(Read(kSmallReport).extentsSaturated, 0u);
}

TEST_F(ScanReportTest, MisplacedUnitLinesEndTheExtentsButKeepWhatWasRead) {
  scan.Resolution = 5;
  scan.UserUnits = "old";
  ResetScanResult(scan);
  ReadScanReport(scan, Write(Lines({"STRUCTURE EXTENTS", "Resolution: 250", "h", "User Units: NM", "h",
                                    "A (1, 1, 1, 1)"})));
  EXPECT_EQ(scan.Resolution, 250);
  EXPECT_EQ(scan.UserUnits, "old");
  EXPECT_EQ(ExtentOf(scan, 0), (std::vector<std::int32_t>{0, 0, 0, 0}));

  ReadScanReport(scan, Write(Lines({"STRUCTURE EXTENTS", "Resolution 1000", "User Units: NM", "h", "A (1, 1, 1, 1)"})));
  EXPECT_EQ(scan.Resolution, 250);
  EXPECT_EQ(ExtentOf(scan, 0), (std::vector<std::int32_t>{0, 0, 0, 0}));
}

TEST_F(ScanReportTest, ReportWithoutExtentsKeepsThePreviousUnits) {
  Read(kSmallReport);
  Read(Lines({"STRUCTURE_LIST", "1) A", ""}));
  EXPECT_EQ(scan.Resolution, 1000);
  EXPECT_EQ(scan.UserUnits, " 0.001");
  EXPECT_EQ(ExtentOf(scan, 1), (std::vector<std::int32_t>{0, 0, 0, 0}));
}

TEST_F(ScanReportTest, LongUserUnitsAreCut) {
  Read(Lines({"STRUCTURE EXTENTS", "Resolution:1", "User Units:" + std::string(40, 'u'), "h"}));
  EXPECT_EQ(scan.UserUnits, std::string(31, 'u'));
}

// Structures are never cut (the tables grow, names stay found, rows stay with their names);
// layers and datatypes beyond what the window shows are cut and said so.
TEST_F(ScanReportTest, EveryStructureIsKeptWhileExcessLayersAndDatatypesAreCut) {
  std::string text = "STRUCTURE_LIST\n";
  for (int i = 0; i < 100000; ++i) text += std::to_string(i + 1) + ") S" + std::to_string(i) + "\n";
  text += "\nLAYERS_CONTAINING_DATA\nh\n";
  for (int i = 0; i < 3000; ++i) text += std::to_string(i) + (i % 100 == 99 ? "\n" : ",");
  text += "\n\nDATATYPES_USED\nh\n";
  for (int i = 0; i < 1500; ++i) text += std::to_string(i) + "\n";
  text += "\nSTRUCTURE EXTENTS\nResolution:1000\nUser Units: 0.001\nh\n";
  for (int i = 0; i < 100000; ++i) text += "(0, 0, " + std::to_string(i) + ", 1)\n";
  text += "\n";
  const ScanReportRead read = Read(text);
  EXPECT_EQ(read.structuresDropped, 0u);
  EXPECT_EQ(read.layersDropped, 3000u - 2048u);
  EXPECT_EQ(read.datatypesDropped, 1500u - 1024u);
  EXPECT_EQ(scan.StructureCount, 100000);
  EXPECT_EQ(scan.LayerCount, kMaxLayers);
  EXPECT_EQ(scan.DatatypeCount, kMaxDatatypes);
  for (int i : {0, 32767, 32768, 65536, 99999}) {
    const std::string name = "S" + std::to_string(i);
    EXPECT_EQ(FindStructure(scan, name), i) << name;
    EXPECT_EQ(scan.Extents[static_cast<std::size_t>(i)].MaxX, i * 1000) << name;
  }
  EXPECT_EQ(FindStructure(scan, "S100000"), std::nullopt);
  EXPECT_EQ(scan.Layers[2047], "2047");
}

}  // namespace
}  // namespace korvex
