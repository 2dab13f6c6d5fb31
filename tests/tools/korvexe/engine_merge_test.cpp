// The merge modes, driven by the front end's own argument texts and korvex.lst.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/job/engine_arguments.h"
#include "gds/hand_made_stream.h"
#include "gds/record.h"
#include "tools/korvexe/engine_fixture.h"

namespace korvex::enginetest {
namespace {

class Merge : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const Library& lib) {
    WriteLibrary(dir_.File(name), lib);
    return dir_.File(name);
  }
  // The job's argument text as the front end builds it, with korvex.lst written for `files`.
  EngineResult RunJob(int mode, bool combine, const std::vector<std::string>& files, const std::string& top = "TOP") {
    JobSettings s;
    s.InputFile = input_;
    s.OutputFile = dir_.File("out.gds");
    s.WorkingDirectory = dir_.path();
    s.MergeMode = mode;
    s.Combine = combine ? 1 : 0;
    s.NewTopStr = "ALL";
    std::string list, lst;
    for (const std::string& f : files) {
      list += (list.empty() ? "\"" : " \"") + f + "\"";
      lst += f + "\r\n";
    }
    s.MergeFileList = list;
    WriteText(dir_.File("korvex.lst"), lst);
    const EngineResult r = RunEngineText(BuildEngineArguments(s, top, false).text, dir_);
    out_ = ReadLibrary(dir_.File("out.gds"));
    return r;
  }
  const gds::Element* FindRef(const std::string& structure, const std::string& child) {
    const Structure* s = out_.Find(structure);
    if (s == nullptr) return nullptr;
    for (const gds::Element& e : s->elements)
      if (e.has_sname && e.sname == child) return &e;
    return nullptr;
  }

  TempDir dir_;
  std::string input_ = Write("in.gds", LibraryOf({Cell("A", {Rect(1, 0, 0, 0, 10, 10)}),
                                                  Cell("TOP", {Ref("A", 0, 0), Rect(2, 0, 0, 0, 5, 5)}),
                                                  Cell("LOOSE", {Rect(9, 0, 0, 0, 1, 1)})}));
  std::string second_ = Write("second.gds", LibraryOf({Cell("A", {Rect(1, 0, 0, 0, 20, 20)}),
                                                       Cell("B", {Ref("A", 100, 0)})}));
  std::string third_ = Write("third.gds", LibraryOf({Cell("C", {Rect(3, 0, 0, 0, 7, 7)})}));
  std::string fourth_ = Write("fourth.gds", LibraryOf({Cell("TOP", {Rect(4, 0, 0, 0, 1, 1)})}));
  Library out_;
};

TEST_F(Merge, MergeWithCombineAndThreeFilesKeepsFirstDefinitions) {
  const EngineResult r = RunJob(1, true, {second_, third_, fourth_});
  EXPECT_EQ(r.exit_code, 2) << r.log;  // later A and later TOP dropped, a warning each
  EXPECT_EQ(out_.error, "");
  EXPECT_EQ(out_.Names(), (std::vector<std::string>{"A", "TOP", "B", "C", "ALL"}));
  EXPECT_EQ(out_.Find("A")->elements[0].xy[2], (gds::Point{10, 10}));  // the input's A
  const Structure& all = *out_.Find("ALL");
  std::vector<std::string> children;
  for (const gds::Element& e : all.elements) children.push_back(e.sname);
  EXPECT_EQ(children, (std::vector<std::string>{"TOP", "B", "C"}));
  EXPECT_EQ(all.elements[0].xy[0], (gds::Point{0, 0}));
  EXPECT_EQ(r.log.find("-combine carries"), std::string::npos) << r.log;
}

TEST_F(Merge, AddKeepsEveryStructureAndRenamesWithinItsOwnFile) {
  const EngineResult r = RunJob(2, false, {second_, fourth_});
  EXPECT_EQ(r.exit_code, 0) << r.log;
  EXPECT_EQ(out_.Names(), (std::vector<std::string>{"A", "TOP", "A_1", "B", "TOP_1"}));
  ASSERT_NE(FindRef("B", "A_1"), nullptr);  // B of the second file follows its own A
  ASSERT_NE(FindRef("TOP", "A"), nullptr);
  EXPECT_EQ(out_.Find("A_1")->elements[0].xy[2], (gds::Point{20, 20}));
}

TEST_F(Merge, BlendAppendsLaterElementsToTheFirstDefinition) {
  const EngineResult r = RunJob(3, true, {second_, fourth_});
  EXPECT_EQ(r.exit_code, 0) << r.log;
  EXPECT_EQ(out_.Names(), (std::vector<std::string>{"A", "TOP", "B"}));  // no -combine with blend
  ASSERT_EQ(out_.Find("A")->elements.size(), 2u);
  EXPECT_EQ(out_.Find("A")->elements[1].xy[2], (gds::Point{20, 20}));
  ASSERT_EQ(out_.Find("TOP")->elements.size(), 3u);
  EXPECT_EQ(out_.Find("TOP")->elements[2].layer, 4);
}

TEST_F(Merge, OnlyTheTreeOfTheInputsTopGoesIn) {
  RunJob(1, false, {third_});
  EXPECT_EQ(out_.Find("LOOSE"), nullptr);
  RunJob(1, false, {third_}, "");
  EXPECT_NE(out_.Find("LOOSE"), nullptr);
}

TEST_F(Merge, UnitsAreRescaledByWholeFactorsOrRefused) {
  // 10 nm database unit: ten times the input's 1 nm.
  const std::string coarse = Write("coarse.gds", LibraryOf({Cell("D", {Rect(1, 0, 0, 0, 3, 4), PathOf(1, 0, 2, 0, {{0, 0}, {5, 0}})})},
                                                           0.01, 1e-8));
  EngineResult r = RunJob(1, false, {coarse});
  ASSERT_EQ(r.exit_code, 0) << r.log;
  EXPECT_EQ(out_.Find("D")->elements[0].xy[2], (gds::Point{30, 40}));
  EXPECT_EQ(out_.Find("D")->elements[1].width, 20);
  EXPECT_NEAR(out_.header.metre_unit.value(), 1e-9, 1e-21);
  // A finer file sets the grid: the input is rescaled instead.
  const std::string fine = Write("fine.gds", LibraryOf({Cell("F", {Rect(1, 0, 0, 0, 3, 4)})}, 0.0001, 1e-10));
  r = RunJob(1, false, {fine});
  ASSERT_EQ(r.exit_code, 0) << r.log;
  EXPECT_EQ(out_.Find("A")->elements[0].xy[2], (gds::Point{100, 100}));
  EXPECT_EQ(out_.Find("F")->elements[0].xy[2], (gds::Point{3, 4}));
  const std::string odd = Write("odd.gds", LibraryOf({Cell("G", {Rect(1, 0, 0, 0, 3, 4)})}, 0.0025, 2.5e-9));
  const std::string before = ReadText(dir_.File("out.gds"));
  r = RunJob(1, false, {odd});
  EXPECT_EQ(r.exit_code, 255);
  EXPECT_NE(r.log.find("Error: database unit of"), std::string::npos) << r.log;
  EXPECT_EQ(ReadText(dir_.File("out.gds")), before);
}

TEST_F(Merge, CombineNameThatExistsFails) {
  JobSettings s;
  WriteText(dir_.File("korvex.lst"), second_ + "\n");
  const EngineResult r = RunEngineText("\"" + input_ + "\" \"" + dir_.File("out.gds") +
                                           "\" \"TOP\" -merge -combine B =  -min:0.000000 -tmag:1000000.000000",
                                       dir_);
  EXPECT_EQ(r.exit_code, 255);
  EXPECT_NE(r.log.find("Error: -combine: a structure named B exists already"), std::string::npos) << r.log;
}

// Two libraries that share cells: SHARED and CELL (which references SHARED) alike in both,
// DIFF with one point moved, LONG with one element more, PROP with another property value.
// The second library's cells were made at another time: dates are not content.
class SharedCells : public Merge {
 protected:
  static gds::Element WithProperty(gds::Element e, const std::string& value) {
    e.properties.push_back({1, value});
    return e;
  }
  static Structure Later(Structure s) {
    s.header.dates = {2025, 6, 7, 8, 9, 10, 2025, 6, 7, 8, 9, 10};
    return s;
  }
  std::string Second(double user_unit = 0.001, double metre_unit = 1e-9, int divide = 1) {
    const int d = divide;
    return Write("lib2.gds",
                 LibraryOf({Later(Cell("SHARED", {WithProperty(Rect(1, 0, 0, 0, 10 / d, 10 / d), "x")})),
                            Later(Cell("CELL", {Ref("SHARED", 0, 0), Rect(2, 0, 0, 0, 20 / d, 20 / d)})),
                            Later(Cell("DIFF", {Rect(3, 0, 0, 0, 50 / d, 60 / d)})),
                            Later(Cell("LONG", {Rect(4, 0, 0, 0, 10 / d, 10 / d), Rect(4, 0, 0, 0, 20 / d, 20 / d),
                                                Rect(4, 0, 0, 0, 30 / d, 30 / d)})),
                            Later(Cell("PROP", {WithProperty(Rect(5, 0, 0, 0, 10 / d, 10 / d), "b")})),
                            Later(Cell("TOP2", {Ref("CELL", 100 / d, 0), Ref("DIFF", 0, 0), Ref("LONG", 0, 0),
                                                Ref("PROP", 0, 0)}))},
                           user_unit, metre_unit));
  }
  void SetUp() override {
    input_ = Write("lib1.gds",
                   LibraryOf({Cell("SHARED", {WithProperty(Rect(1, 0, 0, 0, 10, 10), "x")}),
                              Cell("CELL", {Ref("SHARED", 0, 0), Rect(2, 0, 0, 0, 20, 20)}),
                              Cell("DIFF", {Rect(3, 0, 0, 0, 50, 50)}),
                              Cell("LONG", {Rect(4, 0, 0, 0, 10, 10), Rect(4, 0, 0, 0, 20, 20)}),
                              Cell("PROP", {WithProperty(Rect(5, 0, 0, 0, 10, 10), "a")}),
                              Cell("TOP", {Ref("CELL", 0, 0), Ref("DIFF", 0, 0), Ref("LONG", 0, 0), Ref("PROP", 0, 0)})}));
  }
  static std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
  }
};

TEST_F(SharedCells, AddWritesIdenticalCellsOnceAndRenamesOnlyDifferingOnes) {
  const EngineResult r = RunJob(2, false, {Second()});
  ASSERT_EQ(r.exit_code, 0) << r.log;
  EXPECT_EQ(out_.Names(), (std::vector<std::string>{"SHARED", "CELL", "DIFF", "LONG", "PROP", "TOP", "DIFF_1",
                                                    "LONG_1", "PROP_1", "TOP2"}));
  ASSERT_NE(FindRef("TOP2", "CELL"), nullptr);  // the shared copy
  EXPECT_NE(FindRef("TOP2", "DIFF_1"), nullptr);
  EXPECT_NE(FindRef("TOP2", "LONG_1"), nullptr);
  EXPECT_EQ(out_.Find("DIFF_1")->elements[0].xy[2], (gds::Point{50, 60}));
  EXPECT_EQ(Count(r.log, "Identical: 2 later definitions"), 1u) << r.log;
  EXPECT_NE(r.log.find("renamed DIFF_1; first difference: element 1, record XY"), std::string::npos) << r.log;
  EXPECT_NE(r.log.find("renamed PROP_1; first difference: element 1, record PROPVALUE"), std::string::npos) << r.log;
}

TEST_F(SharedCells, MergeWarnsOnlyAboutDifferingCellsNamingTheFirstDifference) {
  const EngineResult r = RunJob(1, false, {Second()}, "");
  EXPECT_EQ(r.exit_code, 3) << r.log;  // DIFF, LONG and PROP
  EXPECT_EQ(out_.Names(), (std::vector<std::string>{"SHARED", "CELL", "DIFF", "LONG", "PROP", "TOP", "TOP2"}));
  EXPECT_EQ(Count(r.log, "Warning: structure"), 3u) << r.log;
  EXPECT_NE(r.log.find("Warning: structure DIFF of " + dir_.File("lib2.gds") + " (first defined in " + input_ +
                       ") dropped; first difference: element 1, record XY"),
            std::string::npos)
      << r.log;
  EXPECT_NE(r.log.find("structure LONG of " + dir_.File("lib2.gds") + " (first defined in " + input_ +
                       ") dropped; first difference: the later definition has 1 more element"),
            std::string::npos)
      << r.log;
  EXPECT_EQ(r.log.find("SHARED of"), std::string::npos) << r.log;
  EXPECT_NE(r.log.find("Identical: 2 later definitions"), std::string::npos) << r.log;
}

TEST_F(SharedCells, BlendAppendsOnlyDifferingCells) {
  const EngineResult r = RunJob(3, false, {Second()}, "");
  ASSERT_EQ(r.exit_code, 0) << r.log;
  EXPECT_EQ(out_.Names(), (std::vector<std::string>{"SHARED", "CELL", "DIFF", "LONG", "PROP", "TOP", "TOP2"}));
  EXPECT_EQ(out_.Find("SHARED")->elements.size(), 1u);
  EXPECT_EQ(out_.Find("CELL")->elements.size(), 2u);
  EXPECT_EQ(out_.Find("DIFF")->elements.size(), 2u);
  EXPECT_EQ(out_.Find("LONG")->elements.size(), 5u);
  EXPECT_NE(r.log.find("Identical: 2 later definitions"), std::string::npos) << r.log;
}

TEST_F(SharedCells, IdenticalAfterTheUnitRescaleIsIdentical) {
  // Ten times coarser units and every coordinate a tenth: the same cells in metres.
  const EngineResult r = RunJob(2, false, {Second(0.01, 1e-8, 10)});
  ASSERT_EQ(r.exit_code, 0) << r.log;
  EXPECT_EQ(out_.Names(), (std::vector<std::string>{"SHARED", "CELL", "DIFF", "LONG", "PROP", "TOP", "DIFF_1",
                                                    "LONG_1", "PROP_1", "TOP2"}));
  EXPECT_NE(r.log.find("Identical: 2 later definitions"), std::string::npos) << r.log;
  EXPECT_EQ(out_.Find("DIFF_1")->elements[0].xy[2], (gds::Point{50, 60}));
  // The same numbers in other units are another cell.
  const EngineResult same_numbers = RunJob(2, false, {Second(0.01, 1e-8)});
  ASSERT_EQ(same_numbers.exit_code, 0) << same_numbers.log;
  EXPECT_NE(out_.Find("SHARED_1"), nullptr);
  EXPECT_NE(same_numbers.log.find("Identical: 0 later definitions"), std::string::npos) << same_numbers.log;
}

TEST_F(SharedCells, AddKeepsACellWhoseChildDiffersUnderItsOwnName) {
  // B is alike byte for byte in both files, but each B places its own file's A, and the As
  // differ: sharing B would put the first file's A into the second file's tree.
  input_ = Write("b1.gds", LibraryOf({Cell("A", {Rect(1, 0, 0, 0, 10, 10)}), Cell("B", {Ref("A", 5, 5)}),
                                      Cell("TOP", {Ref("B", 0, 0)})}));
  const std::string second = Write("b2.gds", LibraryOf({Cell("A", {Rect(1, 0, 0, 0, 20, 20)}),
                                                        Cell("B", {Ref("A", 5, 5)}), Cell("T2", {Ref("B", 0, 0)})}));
  EngineResult r = RunJob(2, false, {second});
  ASSERT_EQ(r.exit_code, 0) << r.log;
  EXPECT_EQ(out_.Names(), (std::vector<std::string>{"A", "B", "TOP", "A_1", "B_1", "T2"}));
  EXPECT_NE(FindRef("B_1", "A_1"), nullptr);
  EXPECT_NE(FindRef("T2", "B_1"), nullptr);
  EXPECT_NE(r.log.find("renamed B_1; first difference: the structure A that it references"), std::string::npos)
      << r.log;
  // Under -merge both Bs name the one A that is written: B is the same, only A is warned.
  r = RunJob(1, false, {second});
  EXPECT_EQ(r.exit_code, 1) << r.log;
  EXPECT_EQ(out_.Names(), (std::vector<std::string>{"A", "B", "TOP", "T2"}));
}

TEST_F(SharedCells, ThirdFileMatchesTheRenamedCopyOfTheSecond) {
  const std::string second = Second();
  const std::string third = Write("lib3.gds", LibraryOf({Cell("DIFF", {Rect(3, 0, 0, 0, 50, 60)}),
                                                         Cell("TOP3", {Ref("DIFF", 0, 0)})}));
  const EngineResult r = RunJob(2, false, {second, third});
  ASSERT_EQ(r.exit_code, 0) << r.log;
  EXPECT_EQ(out_.Find("DIFF_2"), nullptr) << r.log;
  EXPECT_NE(FindRef("TOP3", "DIFF_1"), nullptr);
  EXPECT_NE(r.log.find("Identical: 3 later definitions"), std::string::npos) << r.log;
}

TEST_F(SharedCells, ContentStoredOtherwiseIsStillIdentical) {
  // Another writer's SHARED: its LAYER is a 4-byte integer, so its bytes differ from the
  // input's, but it is the same boundary with the same property.
  gds::MemorySink sink;
  {
    gds::RecordWriter w(sink);
    const gds::StructureHeader shared = gds::testing::BeginLibraryAndStructure(w, "OTHER", "SHARED");
    w.Empty(gds::kBoundary);
    w.Int32(gds::kLayer, 1);
    w.Int16(gds::kDatatype, 0);
    w.Points(std::vector<gds::Point>{{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}});
    w.Int16(gds::kPropAttr, 1);
    w.String(gds::kPropValue, "x");
    w.Empty(gds::kEndEl);
    gds::WriteStructureEnd(w, shared);
    gds::StructureHeader top;
    top.name = "TOP2";
    gds::WriteStructureBegin(w, top);
    gds::WriteElement(w, Ref("SHARED", 0, 0));
    gds::WriteStructureEnd(w, top);
    gds::WriteLibraryEnd(w);
    ASSERT_TRUE(w.Flush());
  }
  WriteText(dir_.File("other.gds"), std::string(sink.bytes.begin(), sink.bytes.end()));
  const EngineResult r = RunJob(2, false, {dir_.File("other.gds")});
  ASSERT_EQ(r.exit_code, 0) << r.log;
  EXPECT_EQ(out_.Find("SHARED_1"), nullptr) << r.log;
  EXPECT_NE(FindRef("TOP2", "SHARED"), nullptr);
  EXPECT_NE(r.log.find("Identical: 1 later definitions"), std::string::npos) << r.log;
}

}  // namespace
}  // namespace korvex::enginetest
