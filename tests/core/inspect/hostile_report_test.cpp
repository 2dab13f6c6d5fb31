#include <gtest/gtest.h>

#include <random>

#include "core/inspect/scan_report.h"
#include "report_fixture.h"

namespace korvex {
namespace {

using testing::Lines;

// Reports that no scanner writes: whatever they hold, the record stays within its tables.
class HostileReportTest : public testing::ReportTest {
 protected:
  void ExpectSoundRecord() {
    EXPECT_GE(scan.StructureCount, 0);
    EXPECT_LE(static_cast<std::size_t>(scan.StructureCount), scan.StructureNames.size());
    EXPECT_EQ(scan.StructureNames.size(), scan.Extents.size());
    EXPECT_GE(scan.LayerCount, 0);
    EXPECT_LE(scan.LayerCount, kMaxLayers);
    EXPECT_GE(scan.DatatypeCount, 0);
    EXPECT_LE(scan.DatatypeCount, kMaxDatatypes);
    EXPECT_LE(scan.TopStructure.size(), kStructureNameLength);
    EXPECT_LE(scan.UserUnits.size(), kUserUnitsLength);
    EXPECT_EQ(scan.TreeCount, static_cast<std::int32_t>(MarkedNames().size()));
    for (std::int32_t i = 0; i < scan.StructureCount; ++i) {
      ASSERT_LE(scan.StructureNames[i].size(), kStructureNameLength);
      ASSERT_EQ(scan.NameChecks[i], NameCheck(scan.StructureNames[i]));
      ASSERT_EQ(FindStructure(scan, scan.StructureNames[i]).value_or(-1) <= i, true);
    }
    for (std::int32_t i = 0; i < scan.LayerCount; ++i) ASSERT_LE(scan.Layers[i].size(), kLayerTextLength);
    for (std::int32_t i = 0; i < scan.DatatypeCount; ++i) ASSERT_LE(scan.Datatypes[i].size(), kDatatypeTextLength);
  }
};

TEST_F(HostileReportTest, RandomBytesLeaveASoundRecord) {
  std::mt19937 random(20240611);
  std::string bytes(1 << 20, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  Read(bytes);
  ExpectSoundRecord();
}

TEST_F(HostileReportTest, ShuffledReportFragmentsLeaveASoundRecord) {
  const std::vector<std::string> fragments = {
      "STRUCTURE_LIST\n", "LAYERS_CONTAINING_DATA\n", "DATATYPES_USED\n", "STRUCTURE_ELEMENT_COUNTS\n",
      "STRUCTURE EXTENTS\n", "HIERARCHY of INDEPENDENT STRUCTURES\n", "Resolution: -7\n", "Resolution:0\n",
      "User Units:", "1) ", ")", "(", "  |__ ", "  |", "  |    |", "|", "(UNDEFINED)", "\n", "\n", "\r\n",
      ",", "1,2", "-2147483649", "1e308", "nan", "A", "B", "_", "__ ", "\t", " "};
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    std::string text;
    for (int i = 0; i < 20000; ++i) text += fragments[random() % fragments.size()];
    Read(text);
    ExpectSoundRecord();
    auto file = Open(text);
    for (std::int32_t i = 0; i < scan.StructureCount; i += 97) {
      MarkTree(scan, *file, scan.StructureNames[i]);
      TreeText(*file, scan.StructureNames[i]);
      FormatCoordinate(scan, scan.Extents[i].MinX);
    }
    ExpectSoundRecord();
  }
}

TEST_F(HostileReportTest, LinesOf100000CharactersDoNotStopTheSectionsAfterThem) {
  const std::string huge(100000, 'x');
  const std::string text = Lines({"STRUCTURE_LIST", "1) A", "2) " + huge, "", "LAYERS_CONTAINING_DATA", "h",
                                  "1," + huge, "", "DATATYPES_USED", "h", "5", "", "STRUCTURE_ELEMENT_COUNTS",
                                  "h", "A (" + huge + ")", "", "HIERARCHY of INDEPENDENT STRUCTURES", "", "A",
                                  "  |__ " + huge, "  |", "  |__ A"});
  Read(text);
  ExpectSoundRecord();
  EXPECT_EQ(scan.StructureNames[0], "A");
  ASSERT_EQ(scan.DatatypeCount, 1);
  EXPECT_EQ(scan.Datatypes[0], "5");
  EXPECT_EQ(scan.TreeCount, 1);
}

TEST_F(HostileReportTest, HierarchyWithoutEndIsReadOnceAndEnds) {
  // Every level refers back to the top, 100,000 lines in all.
  std::string text = Lines({"STRUCTURE_LIST", "1) LOOP", "2) SUB", "", "HIERARCHY of INDEPENDENT STRUCTURES", "", "LOOP"});
  std::string columns;
  for (int line = 0; line < 50000; ++line) {
    if (columns.size() > 200) columns.clear();
    text += columns + "  |__ LOOP\n" + columns + "  |__ SUB\n";
    columns += "  |  ";
  }
  Read(text);
  ExpectSoundRecord();
  EXPECT_EQ(scan.TopStructure, "LOOP");
  EXPECT_EQ(scan.TreeCount, 2);
  const std::string drawing = TreeText(*Open(text), "SUB");
  EXPECT_EQ(drawing.substr(0, 5), "SUB\r\n");
}

}  // namespace
}  // namespace korvex
