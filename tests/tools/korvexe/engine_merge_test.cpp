// The merge modes, driven by the front end's own argument texts and korvex.lst.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/job/engine_arguments.h"
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

}  // namespace
}  // namespace korvex::enginetest
