// -dryrun: every pass runs and the log tells per layer/datatype pair what the job does, but
// nothing is written. Its counts are held against what our reader finds in the real output
// of the same job.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

#include <cstdio>
#include <sstream>

#include "tools/korvexe/engine_fixture.h"

namespace korvex::enginetest {
namespace {

const std::string kTail = " -min:0.000000 -tmag:1000000.000000";

using Pair = std::pair<int, int>;

struct PairLine {
  bool dropped = false;
  Pair target;
  std::uint64_t in = 0;
  std::uint64_t out = 0;
};

// The "Pair ..." lines of a log, by the pair read.
std::map<Pair, PairLine> PairLines(const std::string& log) {
  std::map<Pair, PairLine> lines;
  std::istringstream text(log);
  std::string line;
  while (std::getline(text, line)) {
    int l = 0, d = 0, tl = 0, td = 0;
    unsigned long long in = 0, out = 0;
    if (std::sscanf(line.c_str(), "Pair %d/%d -> %d/%d: %llu in, %llu out", &l, &d, &tl, &td, &in, &out) == 6)
      lines[{l, d}] = {false, {tl, td}, in, out};
    else if (std::sscanf(line.c_str(), "Pair %d/%d -> dropped: %llu in", &l, &d, &in) == 3)
      lines[{l, d}] = {true, {}, in, 0};
  }
  return lines;
}

// Shapes per (layer, datatype), whatever their kind.
std::map<Pair, std::uint64_t> PerPair(const ShapeCounts& counts) {
  std::map<Pair, std::uint64_t> pairs;
  for (const auto& [key, n] : counts) pairs[{std::get<1>(key), std::get<2>(key)}] += n;
  return pairs;
}

// The "out" of the pair lines, summed per pair written.
std::map<Pair, std::uint64_t> Written(const std::map<Pair, PairLine>& lines) {
  std::map<Pair, std::uint64_t> written;
  for (const auto& [pair, line] : lines)
    if (!line.dropped && line.out > 0) written[line.target] += line.out;
  return written;
}

struct FileState {
  std::string content;
  std::int64_t mtime_ns = 0;
};

FileState StateOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  return {ReadText(path), std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec};
}

class DryRun : public ::testing::Test {
 protected:
  std::string Q(const std::string& path) { return "\"" + path + "\""; }
  EngineResult Run(const std::string& input, const std::string& top, const std::string& switches) {
    return RunEngineText(Q(input) + " " + Q(out_path_) + " " + Q(top) + switches, dir_);
  }
  std::string HandMade(const Library& lib) {
    const std::string path = dir_.File("hand.gds");
    WriteLibrary(path, lib);
    return path;
  }
  // An earlier output, dated an hour back, that a dry run must leave as it is.
  void OldOutput() {
    WriteText(out_path_, "an earlier output");
    struct stat st {};
    ASSERT_EQ(::stat(out_path_.c_str(), &st), 0);
    const struct utimbuf times {st.st_atime - 3600, st.st_mtime - 3600};
    ASSERT_EQ(::utime(out_path_.c_str(), &times), 0);
  }

  TempDir dir_;
  std::string out_path_ = dir_.File("out.gds");
};

TEST_F(DryRun, PairCountsAreThoseOfTheInputAndOfTheRealOutput) {
  const std::string in = GenerateFile(dir_, "gen.gds", 11);
  const std::map<Pair, std::uint64_t> input = PerPair(CountShapes(ReadLibrary(in)));
  const std::string job = " -x1,63 -X -lyr2-3:10-11,4:11 -dtp1:9 -minext:0.050000 -maxvert:6" + kTail;
  const EngineResult dry = Run(in, "", job + " -dryrun");
  ASSERT_EQ(dry.exit_code, 0) << dry.log;
  EXPECT_FALSE(Exists(out_path_));
  const std::map<Pair, PairLine> lines = PairLines(dry.log);

  // Every pair of the input is met, with all its shapes (no TOP: every structure is written).
  ASSERT_EQ(lines.size(), input.size()) << dry.log;
  std::uint64_t dropped_by_polygons = 0;
  for (const auto& [pair, n] : input) {
    const PairLine& line = lines.at(pair);
    EXPECT_EQ(line.in, n) << pair.first << "/" << pair.second;
    const bool excluded = pair.first == 1 || pair.first == 63;
    EXPECT_EQ(line.dropped, excluded) << pair.first << "/" << pair.second;
    if (excluded) continue;
    const int layer = pair.first == 2 ? 10 : pair.first == 3 || pair.first == 4 ? 11 : pair.first;
    EXPECT_EQ(line.target, Pair(layer, pair.second == 1 ? 9 : pair.second));
    dropped_by_polygons += line.in - line.out;
  }
  EXPECT_GT(dropped_by_polygons, 0u) << "the polygon limits drop nothing here";
  EXPECT_NE(dry.log.find("Dropped by polygon filter: " + std::to_string(dropped_by_polygons) + "\n"),
            std::string::npos) << dry.log;

  // The same job for real: the output holds exactly what the dry run said, and says it too.
  const EngineResult real = Run(in, "", job);
  ASSERT_EQ(real.exit_code, 0) << real.log;
  const Library output = ReadLibrary(out_path_);
  ASSERT_EQ(output.error, "");
  EXPECT_EQ(PerPair(CountShapes(output)), Written(lines));
  const std::map<Pair, PairLine> real_lines = PairLines(real.log);
  ASSERT_EQ(real_lines.size(), lines.size());
  for (const auto& [pair, line] : lines) {
    EXPECT_EQ(real_lines.at(pair).in, line.in);
    EXPECT_EQ(real_lines.at(pair).out, line.out);
  }
}

TEST_F(DryRun, FlattenedPairsCountEveryPlacement) {
  // LEAF is placed 8 times in MID (a rotated, a reflected and a 2x3 array), MID twice in TOP.
  const Library lib = LibraryOf({
      Cell("LEAF", {Rect(1, 0, 0, 0, 10, 20), Rect(1, 0, 0, 0, 1, 1), Rect(3, 0, 0, 0, 10, 10)}),
      Cell("MID", {Ref("LEAF", 100, 0, 90), Ref("LEAF", 0, 100, 0, true),
                   ArrayRef("LEAF", 2, 3, {0, 0}, {200, 0}, {0, 300})}),
      Cell("TOP", {Ref("MID", 0, 0), Ref("MID", 1000, 0, 0, false, 2.0), Rect(2, 5, 0, 0, 30, 30)}),
  });
  const std::string in = HandMade(lib);
  // As the front end asks for polygon filtering: exploded and pruned.
  const std::string job = " -x3 -X -prune -explode -lyr1:101 -dtp5:6 -minext:0.005000" + kTail;
  const EngineResult dry = Run(in, "TOP", job + " -dryrun");
  ASSERT_EQ(dry.exit_code, 0) << dry.log;
  const std::map<Pair, PairLine> lines = PairLines(dry.log);
  ASSERT_EQ(lines.size(), 3u) << dry.log;
  EXPECT_EQ(lines.at({1, 0}).target, Pair(101, 0));
  EXPECT_EQ(lines.at({1, 0}).in, 32u);
  EXPECT_EQ(lines.at({1, 0}).out, 16u);  // the 1x1 squares are below the minimum extent
  EXPECT_TRUE(lines.at({3, 0}).dropped);
  EXPECT_EQ(lines.at({3, 0}).in, 16u);
  EXPECT_EQ(lines.at({2, 5}).target, Pair(2, 6));
  EXPECT_EQ(lines.at({2, 5}).out, 1u);
  for (const char* line : {"Shapes: 49 in, 17 out\n", "Dropped by layer: 16\n", "Dropped by polygon filter: 16\n"})
    EXPECT_NE(dry.log.find(line), std::string::npos) << line << dry.log;

  const EngineResult real = Run(in, "TOP", job);
  ASSERT_EQ(real.exit_code, 0) << real.log;
  EXPECT_EQ(PerPair(CountShapes(ReadLibrary(out_path_))), Written(lines));
}

TEST_F(DryRun, LeavesTheOutputAndItsFolderAsTheyWere) {
  const std::string in = GenerateFile(dir_, "gen.gds", 5);
  OldOutput();
  const FileState before = StateOf(out_path_);
  const EngineResult r = Run(in, "", " -x1 -X -lyr2:20 -dryrun" + kTail);
  ASSERT_EQ(r.exit_code, 0) << r.log;
  const FileState after = StateOf(out_path_);
  EXPECT_EQ(after.content, before.content);
  EXPECT_EQ(after.mtime_ns, before.mtime_ns);
  EXPECT_TRUE(FilesWith(dir_, ".tmp").empty());
  EXPECT_NE(r.log.find("Dry run: nothing is written"), std::string::npos);
  EXPECT_NE(r.log.find("Elements that would be written: "), std::string::npos);
  EXPECT_EQ(r.log.find("Elements written: "), std::string::npos);

  // A flattening and a merge write nothing either.
  EXPECT_EQ(Run(in, "", " -x -X -explode -dryrun" + kTail).exit_code, 0);
  WriteText(dir_.File("korvex.lst"), in + "\n");
  EXPECT_EQ(Run(in, "", " -add -dryrun").exit_code, 0);  // every name defined twice, renamed
  EXPECT_EQ(StateOf(out_path_).content, before.content);
  EXPECT_EQ(StateOf(out_path_).mtime_ns, before.mtime_ns);
  EXPECT_TRUE(FilesWith(dir_, ".tmp").empty());
}

TEST_F(DryRun, CountsTheElementsDroppedPerReasonAndTheRenames) {
  const Library lib = LibraryOf({
      Cell("HIDDEN", {Rect(9, 0, 0, 0, 100, 100)}),
      Cell("TOP", {Rect(1, 0, 0, 0, 100, 100), Rect(1, 0, 0, 0, 1, 1), TextOf(2, 0, "BIG", 5.0),
                   PathOf(3, 0, 0, 0, {{0, 0}, {1000, 0}}), Rect(9, 0, 0, 0, 100, 100), Ref("HIDDEN", 0, 0)}),
  });
  const std::string in = HandMade(lib);
  WriteText(dir_.File("map.txt"), "TOP NEW%20TOP\n");
  const EngineResult r = Run(in, "TOP", " -x9 -X -prune -unfold -minext:0.005000 -min:0.000000 -tmag:2.000000 -rename " +
                                            Q(dir_.File("map.txt")) + " -dryrun");
  EXPECT_EQ(r.exit_code, 1) << r.log;  // the path without area is warned
  for (const char* line : {"Pair 1/0 -> 1/0: 2 in, 1 out\n", "Pair 2/0 -> 2/0: 1 in, 0 out\n",
                           "Pair 3/0 -> 3/0: 1 in, 0 out\n", "Pair 9/0 -> dropped: 1 in\n",
                           "Renamed: TOP -> NEW%20TOP\n", "Dropped by layer: 1\n", "Dropped by datatype: 0\n",
                           "Dropped by polygon filter: 1\n", "Dropped by path width: 1\n", "Dropped by text size: 1\n",
                           "Dropped by prune: 1\n", "Shapes: 5 in, 1 out\n", "Structures that would be written: 1\n"})
    EXPECT_NE(r.log.find(line), std::string::npos) << line << r.log;
  EXPECT_FALSE(Exists(out_path_));
}

TEST_F(DryRun, AMergeCountsEveryFileItWouldWrite) {
  const std::string first = GenerateFile(dir_, "a.gds", 3), second = GenerateFile(dir_, "b.gds", 4);
  WriteText(dir_.File("korvex.lst"), second + "\n");
  const EngineResult dry = Run(first, "", " -add -dryrun");
  ASSERT_LE(dry.exit_code, 1) << dry.log;
  const std::map<Pair, PairLine> lines = PairLines(dry.log);
  EXPECT_NE(dry.log.find("Renamed: "), std::string::npos) << dry.log;
  std::map<Pair, std::uint64_t> both = PerPair(CountShapes(ReadLibrary(first)));
  for (const auto& [pair, n] : PerPair(CountShapes(ReadLibrary(second)))) both[pair] += n;
  EXPECT_EQ(Written(lines), both);
  ASSERT_LE(Run(first, "", " -add").exit_code, 1);
  EXPECT_EQ(PerPair(CountShapes(ReadLibrary(out_path_))), both);
}

}  // namespace
}  // namespace korvex::enginetest
