#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/inspect/scan_report.h"
#include "report_fixture.h"

namespace korvex {
namespace {

using testing::Lines;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class HierarchyTest : public testing::ReportTest {
 protected:
  // A report listing `names` whose hierarchy section holds `drawing`.
  std::string Report(const std::vector<std::string>& names, const std::vector<std::string>& drawing,
                     const std::string& marker = "HIERARCHY of INDEPENDENT STRUCTURES") {
    std::string text = "STRUCTURE_LIST\n";
    for (const auto& name : names) text += "1) " + name + "\n";
    return text + "\n" + marker + "\n\n" + Lines(drawing);
  }

  std::vector<std::string> MarkedBy(const std::string& report, const std::string& name) {
    auto file = Open(report);
    ResetScanResult(scan);
    ReadStructureList(scan, *file);
    MarkTree(scan, *file, name);
    EXPECT_EQ(scan.TreeCount, static_cast<std::int32_t>(MarkedNames().size()));
    return MarkedNames();
  }

  std::string TopOf(const std::string& report) {
    auto file = Open(report);
    ChooseDefaultTop(scan, *file);
    return scan.TopStructure;
  }

  std::string DrawingOf(const std::string& report, const std::string& name) { return TreeText(*Open(report), name); }
};

const std::vector<std::string> kSevenLines = {
    "A", "  |", "  |__ B", "  |    |", "  |    |__ C", "  |", "  |__ D (UNDEFINED)",
};

TEST_F(HierarchyTest, SevenLineDrawingMarksDrawsAndChoosesItsTop) {
  const std::string report = Report({"A", "B", "C", "D"}, kSevenLines);
  EXPECT_THAT(MarkedBy(report, "A"), ElementsAre("A", "B", "C"));
  EXPECT_THAT(MarkedBy(report, "B"), ElementsAre("B", "C"));
  EXPECT_THAT(MarkedBy(report, "C"), ElementsAre("C"));
  EXPECT_EQ(DrawingOf(report, "B"), "B\r\n |\r\n |__ C\r\n");
  EXPECT_EQ(DrawingOf(report, "A"), "A\r\n" + std::string("  |\r\n  |__ B\r\n  |    |\r\n  |    |__ C\r\n") +
                                        "  |\r\n  |__ D (UNDEFINED)\r\n");
  EXPECT_EQ(TopOf(report), "A");
}

TEST_F(HierarchyTest, TreeEndsAtTheNextIndependentStructure) {
  const std::string report = Report({"A", "B", "X", "Y"}, {"A", "  |", "  |__ B", "", "X", "  |", "  |__ Y"});
  EXPECT_THAT(MarkedBy(report, "A"), ElementsAre("A", "B"));
  EXPECT_THAT(MarkedBy(report, "X"), ElementsAre("X", "Y"));
  EXPECT_EQ(DrawingOf(report, "A"), "A\r\n  |\r\n  |__ B\r\n");
}

TEST_F(HierarchyTest, FirstOccurrenceOfANameDecidesItsTree) {
  // B is drawn in full under A, and again as an independent structure after it.
  const std::string report = Report({"A", "B", "C", "E"}, {"A", "  |", "  |__ B", "  |    |", "  |    |__ C",
                                                           "B", "  |", "  |__ E"});
  EXPECT_THAT(MarkedBy(report, "B"), ElementsAre("B", "C"));
}

TEST_F(HierarchyTest, NamesOutsideTheHierarchyMarkNothingAndClearOldMarks) {
  const std::string report = Report({"A", "B", "Q"}, {"A", "  |", "  |__ B", "  |__ NOT_LISTED"});
  ASSERT_THAT(MarkedBy(report, "A"), ElementsAre("A", "B"));
  EXPECT_THAT(MarkedBy(report, "Q"), IsEmpty());
  EXPECT_EQ(scan.TreeCount, 0);
  EXPECT_EQ(DrawingOf(report, "Q"), "");
  EXPECT_THAT(MarkedBy(report, "a"), IsEmpty());
}

TEST_F(HierarchyTest, NamesWithUnderscoresAreTakenWhole) {
  const std::string report =
      Report({"CELL_A", "SUB_1", "NEXT_B"}, {"CELL_A", "  |", "  |__ SUB_1", "NEXT_B", "  |", "  |__ CELL_A"});
  EXPECT_THAT(MarkedBy(report, "CELL_A"), ElementsAre("CELL_A", "SUB_1"));
  EXPECT_THAT(MarkedBy(report, "NEXT_B"), ElementsAre("CELL_A", "NEXT_B"));
  EXPECT_EQ(TopOf(report), "NEXT_B");
}

TEST_F(HierarchyTest, HierarchyMarkerMustBeExactForTheTopButMayGoOnForTrees) {
  const std::string report = Report({"A", "B"}, {"A", "  |", "  |__ B"}, "HIERARCHY of INDEPENDENT STRUCTURES:");
  EXPECT_EQ(TopOf(report), "");
  EXPECT_THAT(MarkedBy(report, "A"), ElementsAre("A", "B"));
}

TEST_F(HierarchyTest, DefaultTopIsTheDeepestTreeAndTheLaterOneOnATie) {
  EXPECT_EQ(TopOf(Report({}, {"A", "B", "C"})), "C");
  EXPECT_EQ(TopOf(Report({}, {"A", "  |", "  |__ X", "B", "  |", "  |__ Y"})), "B");
  EXPECT_EQ(TopOf(Report({}, {"A", "  |", "  |__ X", "  |    |", "  |    |__ Z", "B", "  |", "  |__ Y"})), "A");
  EXPECT_EQ(TopOf(Report({}, {})), "");
  EXPECT_EQ(TopOf(Lines({"STRUCTURE_LIST", "1) A", ""})), "");
}

TEST_F(HierarchyTest, LongNamesMeetTheirCutEntriesInTheList) {
  const std::string longTop(40, 'T');
  const std::string longChild = std::string(36, 'C') + "_1";
  const std::string report = Report({longTop, longChild}, {longTop, "  |", "  |__ " + longChild});
  const std::string top = TopOf(report);
  ASSERT_EQ(top, longTop.substr(0, 34));
  EXPECT_THAT(MarkedBy(report, top), ElementsAre(longTop.substr(0, 34), longChild.substr(0, 34)));
}

TEST_F(HierarchyTest, SelfReferenceEndsWithTheDrawing) {
  std::vector<std::string> drawing = {"A"};
  std::string columns;
  for (int level = 0; level < 700; ++level) {
    drawing.push_back(columns + "  |");
    drawing.push_back(columns + "  |__ A");
    columns += "  |  ";
  }
  drawing.push_back(columns + "  |__ A (RECURSIVE)");
  const std::string report = Report({"A"}, drawing);
  EXPECT_THAT(MarkedBy(report, "A"), ElementsAre("A"));
  const std::string text = DrawingOf(report, "A");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), static_cast<long>(drawing.size()));
  EXPECT_EQ(TopOf(report), "A");
}

}  // namespace
}  // namespace korvex
