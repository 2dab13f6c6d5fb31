// KLayout as an independent reader of the engine's output: shape counts per layer, cell
// names, flattened shapes and areas. Skipped where KLayout is not installed.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "tools/korvexe/engine_fixture.h"

namespace korvex::enginetest {
namespace {

const std::string kTail = " -min:0.000000 -tmag:1000000.000000";

class KLayoutCheck : public ::testing::Test {
 protected:
  struct Job {
    std::string file, mode, top;
  };
  // One KLayout start for several reads (starting it takes seconds): the output of each job.
  std::optional<std::vector<std::string>> Read(const std::vector<Job>& jobs) {
    const std::string script = ReadText(std::string(KORVEX_SOURCE_DIR) + "/tests/tools/korvexe/klayout_check.py");
    std::string list;
    for (const Job& j : jobs) list += (list.empty() ? "" : ";") + j.mode + "|" + j.file + "|" + j.top;
    const std::optional<std::string> text = RunKLayout(script, {{"jobs", list}}, dir_);
    if (!text) return std::nullopt;
    std::vector<std::string> parts;
    std::istringstream in(*text);
    std::string line;
    while (std::getline(in, line)) {
      if (line.rfind("== ", 0) == 0) parts.emplace_back();
      else if (!parts.empty()) parts.back() += line + "\n";
    }
    EXPECT_EQ(parts.size(), jobs.size()) << *text;
    parts.resize(jobs.size());
    return parts;
  }
  void Run(const std::string& input, const std::string& top, const std::string& switches) {
    const EngineResult r = RunEngineText("\"" + input + "\" \"" + out_ + "\" \"" + top + "\"" + switches, dir_);
    ASSERT_EQ(r.exit_code, 0) << r.log;
  }
  // "L layer datatype n" lines as a map.
  static std::map<std::pair<int, int>, long> Layers(const std::string& text) {
    std::map<std::pair<int, int>, long> m;
    std::istringstream in(text);
    std::string tag;
    int l, d;
    long n;
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream fields(line);
      if (fields >> tag && tag == "L" && fields >> l >> d >> n) m[{l, d}] = n;
    }
    return m;
  }

  // The "C name" lines of a "counts" job.
  static std::vector<std::string> cells(const std::string& text) {
    std::vector<std::string> names;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
      if (line.rfind("C ", 0) == 0) names.push_back(line.substr(2));
    return names;
  }

  TempDir dir_;
  std::string in_ = GenerateFile(dir_, "in.gds", 21, 60 * 1024);
  std::string out_ = dir_.File("out.gds");
};

TEST_F(KLayoutCheck, ExcludedLayersLoseExactlyTheirShapes) {
  Run(in_, "", " -x1,63 -X" + kTail);
  const auto read = Read({{in_, "counts", ""}, {out_, "counts", ""}});
  if (!read) GTEST_SKIP() << "KLayout is not installed";
  auto expected = Layers((*read)[0]);
  for (auto it = expected.begin(); it != expected.end();)
    it = (it->first.first == 1 || it->first.first == 63) ? expected.erase(it) : std::next(it);
  EXPECT_EQ(Layers((*read)[1]), expected);
  ASSERT_GT(expected.size(), 10u);
}

TEST_F(KLayoutCheck, RenumberedLayersCarryTheMovedShapes) {
  Run(in_, "", " -x -X -lyr2-3:10-11,4:11" + kTail);
  const auto read = Read({{in_, "counts", ""}, {out_, "counts", ""}});
  if (!read) GTEST_SKIP() << "KLayout is not installed";
  std::map<std::pair<int, int>, long> expected;
  for (const auto& [key, n] : Layers((*read)[0])) {
    const int l = key.first == 2 ? 10 : (key.first == 3 || key.first == 4) ? 11 : key.first;
    expected[{l, key.second}] += n;
  }
  EXPECT_EQ(Layers((*read)[1]), expected);
}

TEST_F(KLayoutCheck, ExplodeGivesTheShapesOfKLayoutsFlatten) {
  Run(in_, "TOP", " -x -X -explode" + kTail);
  const auto read = Read({{in_, "flat", "TOP"}, {out_, "flat", "TOP"}});
  if (!read) GTEST_SKIP() << "KLayout is not installed";
  const std::string& flat = (*read)[0];
  const std::string& ours = (*read)[1];
  EXPECT_GT(flat.size(), 10000u);
  EXPECT_TRUE(ours == flat) << "flattened shapes differ (" << ours.size() << " vs " << flat.size() << " bytes)";
}

TEST_F(KLayoutCheck, UnfoldedPathsHaveThePathsArea) {
  Run(in_, "", " -x -X -unfold" + kTail);
  const auto read = Read({{in_, "areas", ""}, {out_, "areas", ""}});
  if (!read) GTEST_SKIP() << "KLayout is not installed";
  const std::string* before = &(*read)[0];
  const std::string* after = &(*read)[1];
  // Per layer: the area of paths before plus that of other shapes before equals the area of
  // the shapes after (round ends are polygons on both sides, with their own segment counts).
  std::map<std::pair<int, int>, double> sum_before, sum_after;
  auto add = [](const std::string& text, std::map<std::pair<int, int>, double>& sums, bool& any_path) {
    std::istringstream in(text);
    std::string line, tag, kind;
    int l, d;
    double a;
    while (std::getline(in, line)) {
      std::istringstream f(line);
      if (f >> tag >> l >> d >> kind >> a && tag == "A") {
        sums[{l, d}] += a;
        any_path = any_path || kind == "path";
      }
    }
  };
  bool paths_before = false, paths_after = false;
  add(*before, sum_before, paths_before);
  add(*after, sum_after, paths_after);
  EXPECT_TRUE(paths_before);
  EXPECT_FALSE(paths_after);
  ASSERT_EQ(sum_before.size(), sum_after.size());
  for (const auto& [key, area] : sum_before) EXPECT_NEAR(sum_after[key], area, area * 2e-3) << key.first << "/" << key.second;
}

TEST_F(KLayoutCheck, AddKeepsEveryStructureOfBothFiles) {
  const std::string second = GenerateFile(dir_, "second.gds", 22, 60 * 1024);
  WriteText(dir_.File("korvex.lst"), second + "\r\n");
  Run(in_, "", " -add" + kTail);
  const auto read = Read({{in_, "counts", ""}, {second, "counts", ""}, {out_, "counts", ""}});
  if (!read) GTEST_SKIP() << "KLayout is not installed";
  const std::size_t expected = cells((*read)[0]).size() + cells((*read)[1]).size();
  EXPECT_EQ(cells((*read)[2]).size(), expected);
  EXPECT_GT(expected, 30u);
  for (const std::string& name : cells((*read)[0])) {
    const std::vector<std::string> merged = cells((*read)[2]);
    EXPECT_NE(std::find(merged.begin(), merged.end(), name), merged.end()) << name;
  }
}

// Libraries sharing cells: SHARED alike, DIFF with a point moved, B alike in its bytes but
// placing its own file's A, which differs. KLayout finds one SHARED, both of each differing
// cell, and each file's top drawing exactly what it drew before the merge.
TEST_F(KLayoutCheck, AddOfLibrariesSharingCellsKeepsOneCopyOfEachIdenticalCell) {
  const auto library = [this](const std::string& name, int diff_y, int a_size, const std::string& top) {
    WriteLibrary(dir_.File(name),
                 LibraryOf({Cell("SHARED", {Rect(1, 0, 0, 0, 10, 10), PathOf(1, 1, 4, 2, {{0, 0}, {30, 0}})}),
                            Cell("DIFF", {Rect(3, 0, 0, 0, 50, diff_y)}), Cell("A", {Rect(2, 0, 0, 0, a_size, a_size)}),
                            Cell("B", {Ref("A", 5, 5)}),
                            Cell(top, {Ref("SHARED", 0, 0), Ref("DIFF", 100, 0), Ref("B", 200, 0),
                                       ArrayRef("SHARED", 2, 3, {0, 300}, {80, 300}, {0, 390})})}));
    return dir_.File(name);
  };
  const std::string first = library("lib1.gds", 50, 10, "TOP");
  const std::string second = library("lib2.gds", 60, 20, "TOP2");
  WriteText(dir_.File("korvex.lst"), second + "\n");
  Run(first, "TOP", " -add" + kTail);
  const auto read = Read({{out_, "counts", ""}, {first, "flat", "TOP"}, {out_, "flat", "TOP"},
                          {second, "flat", "TOP2"}, {out_, "flat", "TOP2"}});
  if (!read) GTEST_SKIP() << "KLayout is not installed";
  EXPECT_EQ(cells((*read)[0]),
            (std::vector<std::string>{"A", "A_1", "B", "B_1", "DIFF", "DIFF_1", "SHARED", "TOP", "TOP2"}));
  EXPECT_EQ((*read)[2], (*read)[1]);
  EXPECT_EQ((*read)[4], (*read)[3]);
  EXPECT_NE((*read)[2], (*read)[4]);
}

}  // namespace
}  // namespace korvex::enginetest
