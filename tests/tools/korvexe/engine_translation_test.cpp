// The plain translation run end to end on generated and hand-made layouts, the output read
// back with our own reader.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "gds/name_codec.h"
#include "gds/polygon.h"
#include "tools/korvexe/engine_fixture.h"

namespace korvex::enginetest {
namespace {

const std::string kTail = " -min:0.000000 -tmag:1000000.000000";

class Translation : public ::testing::Test {
 protected:
  std::string Q(const std::string& path) { return "\"" + path + "\""; }
  // Runs `switches` on `input` with TOP `top`; returns the result, the output in `out_`.
  EngineResult Run(const std::string& input, const std::string& top, const std::string& switches) {
    const EngineResult r = RunEngineText(Q(input) + " " + Q(out_path_) + " " + Q(top) + switches, dir_);
    out_ = ReadLibrary(out_path_);
    return r;
  }
  std::string Generated(std::uint64_t seed = 7) { return GenerateFile(dir_, "gen.gds", seed); }
  std::string HandMade(const Library& lib) {
    const std::string path = dir_.File("hand.gds");
    WriteLibrary(path, lib);
    return path;
  }

  TempDir dir_;
  std::string out_path_ = dir_.File("out.gds");
  Library out_;
};

std::uint64_t Total(const ShapeCounts& c) {
  std::uint64_t n = 0;
  for (const auto& [k, v] : c) n += v;
  return n;
}

std::uint64_t References(const Library& lib) {
  std::uint64_t n = 0;
  for (const Structure& s : lib.structures)
    for (const gds::Element& e : s.elements) n += e.kind == gds::ElementKind::kSRef || e.kind == gds::ElementKind::kARef;
  return n;
}

TEST_F(Translation, NothingToChangeGivesTheInputBackByteForByte) {
  const std::string in = Generated();
  const EngineResult r = Run(in, "", " -x -X" + kTail);
  EXPECT_EQ(r.exit_code, 0) << r.log;
  EXPECT_EQ(ReadText(out_path_), ReadText(in));
  EXPECT_NE(r.log.find("Warnings and errors: 0"), std::string::npos);
  EXPECT_TRUE(FilesWith(dir_, ".tmp").empty());
}

TEST_F(Translation, ExcludingTwoLayersRemovesExactlyTheirShapes) {
  const std::string in = Generated();
  const Library input = ReadLibrary(in);
  const EngineResult r = Run(in, "", " -x1,63 -X" + kTail);
  ASSERT_EQ(r.exit_code, 0) << r.log;
  ASSERT_EQ(out_.error, "");
  ShapeCounts expected;
  for (const auto& [key, n] : CountShapes(input))
    if (std::get<1>(key) != 1 && std::get<1>(key) != 63) expected[key] = n;
  EXPECT_EQ(CountShapes(out_), expected);
  EXPECT_LT(Total(expected), Total(CountShapes(input)));
  EXPECT_EQ(References(out_), References(input));
  EXPECT_EQ(out_.Names(), input.Names());
}

TEST_F(Translation, IncludeListsKeepOnlyTheirLayersAndDatatypes) {
  const std::string in = Generated();
  const Library input = ReadLibrary(in);
  Run(in, "", " -i5,10-12 -I0,2" + kTail);
  ShapeCounts expected;
  for (const auto& [key, n] : CountShapes(input)) {
    const int layer = std::get<1>(key), type = std::get<2>(key);
    if ((layer == 5 || (layer >= 10 && layer <= 12)) && (type == 0 || type == 2)) expected[key] = n;
  }
  EXPECT_EQ(CountShapes(out_), expected);
  Run(in, "", " -i -I" + kTail);
  EXPECT_TRUE(CountShapes(out_).empty());
  EXPECT_EQ(References(out_), References(input));
}

TEST_F(Translation, LayerAndDatatypeMapsMoveExactlyTheNamedNumbers) {
  const std::string in = Generated();
  const Library input = ReadLibrary(in);
  const EngineResult r = Run(in, "", " -x -X -lyr2-3:10-11,4:11 -dtp1:9" + kTail);
  ASSERT_EQ(r.exit_code, 0) << r.log;
  auto layer = [](int l) { return l == 2 ? 10 : l == 3 || l == 4 ? 11 : l; };
  ShapeCounts expected;
  for (const auto& [key, n] : CountShapes(input))
    expected[{std::get<0>(key), layer(std::get<1>(key)), std::get<2>(key) == 1 ? 9 : std::get<2>(key)}] += n;
  EXPECT_EQ(CountShapes(out_), expected);
  EXPECT_NE(r.log.find("elements given a new layer number"), std::string::npos);
}

TEST_F(Translation, NarrowPathsAreWidenedAndLargeTextsDropped) {
  const Library lib = LibraryOf({Cell("TOP", {PathOf(1, 0, 100, 0, {{0, 0}, {1000, 0}}),
                                              PathOf(1, 0, -50, 0, {{0, 0}, {0, 1000}}),
                                              PathOf(1, 0, 400, 0, {{0, 0}, {0, 1000}}),
                                              TextOf(2, 0, "SMALL", 2.0), TextOf(2, 0, "LARGE", 2.5),
                                              TextOf(2, 0, "PLAIN")})});
  const EngineResult r = Run(HandMade(lib), "TOP", " -x -X -min:0.250000 -tmag:2.000000");
  ASSERT_EQ(r.exit_code, 0) << r.log;
  const Structure& top = *out_.Find("TOP");
  ASSERT_EQ(top.elements.size(), 5u);
  EXPECT_EQ(top.elements[0].width, 250);
  EXPECT_EQ(top.elements[1].width, -250);  // an absolute width stays absolute
  EXPECT_EQ(top.elements[2].width, 400);
  EXPECT_EQ(top.elements[3].string, "SMALL");
  EXPECT_EQ(top.elements[4].string, "PLAIN");
}

TEST_F(Translation, UnfoldedPathsCoverTheAreaOfThePath) {
  const Library lib = LibraryOf({Cell("TOP", {PathOf(1, 0, 100, 0, {{0, 0}, {1000, 0}}),
                                              PathOf(2, 3, 100, 2, {{0, 0}, {1000, 0}, {1000, 500}}),
                                              PathOf(3, 0, 0, 0, {{0, 0}, {1000, 0}}),
                                              Rect(4, 0, 0, 0, 10, 10)})});
  const EngineResult r = Run(HandMade(lib), "TOP", " -x -X -unfold" + kTail);
  EXPECT_EQ(r.exit_code, 1) << r.log;  // the zero-width path, with its warning
  EXPECT_NE(r.log.find("Warning: path at offset"), std::string::npos) << r.log;
  const Structure& top = *out_.Find("TOP");
  ASSERT_EQ(top.elements.size(), 3u);
  for (const gds::Element& e : top.elements) EXPECT_EQ(e.kind, gds::ElementKind::kBoundary);
  EXPECT_DOUBLE_EQ(gds::PolygonArea(top.elements[0].xy.data(), top.elements[0].xy.size()), 100000);
  // 1000 + 50 + 50 (half-width ends) and 500 over the corner: (1050 + 550) * 100 minus the shared corner square.
  EXPECT_DOUBLE_EQ(gds::PolygonArea(top.elements[1].xy.data(), top.elements[1].xy.size()), 1100 * 100 + 550 * 100 - 100 * 100 + 50 * 100);
  EXPECT_EQ(top.elements[1].layer, 2);
  EXPECT_EQ(top.elements[1].datatype, 3);
}

// A small hierarchy: LEAF (one rectangle) placed in MID rotated, reflected and as a 2x3 array;
// MID placed twice in TOP; EMPTY holds nothing; HOLLOW references only EMPTY.
Library Hierarchy() {
  return LibraryOf({
      Cell("LEAF", {Rect(1, 0, 0, 0, 10, 20)}),
      Cell("EMPTY", {}),
      Cell("HOLLOW", {Ref("EMPTY", 0, 0)}),
      Cell("MID", {Ref("LEAF", 100, 0, 90), Ref("LEAF", 0, 100, 0, true),
                   ArrayRef("LEAF", 2, 3, {0, 0}, {200, 0}, {0, 300}), Ref("HOLLOW", 5, 5)}),
      Cell("TOP", {Ref("MID", 0, 0), Ref("MID", 1000, 0, 0, false, 2.0), Rect(2, 0, 0, 0, 1, 1)}),
      Cell("OTHER", {Rect(3, 0, 0, 0, 5, 5)}),
  });
}

std::vector<std::vector<gds::Point>> Sorted(const Structure& s) {
  std::vector<std::vector<gds::Point>> shapes;
  for (const gds::Element& e : s.elements) {
    gds::Box b = gds::PointsBox(e.xy.data(), e.xy.size());
    shapes.push_back({{int(b.min_x), int(b.min_y)}, {int(b.max_x), int(b.max_y)}});
  }
  std::sort(shapes.begin(), shapes.end(), [](const auto& a, const auto& b) {
    return std::tie(a[0].x, a[0].y, a[1].x, a[1].y) < std::tie(b[0].x, b[0].y, b[1].x, b[1].y);
  });
  return shapes;
}

TEST_F(Translation, ExplodePlacesEveryInstanceWithItsTransform) {
  const EngineResult r = Run(HandMade(Hierarchy()), "TOP", " -x -X -explode" + kTail);
  ASSERT_EQ(r.exit_code, 0) << r.log;
  ASSERT_EQ(out_.Names(), std::vector<std::string>{"TOP"});
  // Per MID: 1 rotated + 1 reflected + 6 array instances = 8 leaf rectangles; two MIDs, plus TOP's own.
  const Structure& top = out_.structures[0];
  ASSERT_EQ(top.elements.size(), 17u);
  const auto boxes = Sorted(top);
  auto has = [&](gds::Point a, gds::Point b) {
    return std::find(boxes.begin(), boxes.end(), std::vector<gds::Point>{a, b}) != boxes.end();
  };
  EXPECT_TRUE(has({80, 0}, {100, 10}));      // rotated 90 at (100,0)
  EXPECT_TRUE(has({0, 80}, {10, 100}));      // reflected at (0,100)
  EXPECT_TRUE(has({100, 200}, {110, 220}));  // array instance (1,2): steps of 100 both ways
  EXPECT_TRUE(has({1160, 0}, {1200, 20}));   // rotated, inside the MID magnified 2 at (1000,0)
  EXPECT_TRUE(has({1200, 400}, {1220, 440}));
}

// A BOX is read as the box around its points: turned by 45 degrees it is written as the
// boundary it has become (its BOXTYPE as DATATYPE), a quarter turn keeps it a box.
TEST_F(Translation, ExplodedBoxesTurnedOffTheAxesBecomeBoundaries) {
  gds::Element box = Rect(3, 0, 0, 0, 100, 100);
  box.kind = gds::ElementKind::kBox;
  box.datatype = 7;
  const Library lib = LibraryOf({Cell("LEAF", {box}), Cell("TOP", {Ref("LEAF", 0, 0, 45), Ref("LEAF", 1000, 0, 90)})});
  const EngineResult r = Run(HandMade(lib), "TOP", " -explode" + kTail);
  ASSERT_EQ(r.exit_code, 0) << r.log;
  ASSERT_EQ(out_.structures.size(), 1u);
  const std::vector<gds::Element>& flat = out_.structures[0].elements;
  ASSERT_EQ(flat.size(), 2u);
  EXPECT_EQ(flat[0].kind, gds::ElementKind::kBoundary);
  EXPECT_EQ(flat[0].datatype, 7);
  EXPECT_EQ(flat[0].xy, (std::vector<gds::Point>{{0, 0}, {-71, 71}, {0, 141}, {71, 71}, {0, 0}}));
  EXPECT_EQ(flat[1].kind, gds::ElementKind::kBox);
  EXPECT_EQ(flat[1].datatype, 7);
}

TEST_F(Translation, PruneRemovesExactlyTheEmptyTrees) {
  const EngineResult r = Run(HandMade(Hierarchy()), "", " -x -X -prune" + kTail);
  ASSERT_EQ(r.exit_code, 0) << r.log;
  EXPECT_EQ(out_.Names(), (std::vector<std::string>{"LEAF", "MID", "TOP", "OTHER"}));
  const Structure& mid = *out_.Find("MID");
  EXPECT_EQ(mid.elements.size(), 3u);  // the reference to HOLLOW went with it
  // With layer 1 filtered out LEAF becomes empty, and MID with it; TOP keeps its rectangle.
  Run(HandMade(Hierarchy()), "TOP", " -x1 -X -prune" + kTail);
  EXPECT_EQ(out_.Names(), std::vector<std::string>{"TOP"});
  EXPECT_EQ(out_.Find("TOP")->elements.size(), 1u);
}

TEST_F(Translation, TopKeepsItsTreeAndNamesTheOtherIndependentStructures) {
  const EngineResult r = Run(HandMade(Hierarchy()), "MID", " -x -X" + kTail);
  ASSERT_EQ(r.exit_code, 0) << r.log;
  EXPECT_EQ(out_.Names(), (std::vector<std::string>{"LEAF", "EMPTY", "HOLLOW", "MID"}));
  EXPECT_NE(r.log.find("Structures outside its tree left out: 2"), std::string::npos) << r.log;
  EXPECT_NE(r.log.find("Other independent structures: TOP OTHER"), std::string::npos) << r.log;
  const std::string before = ReadText(out_path_);
  const EngineResult unknown = Run(HandMade(Hierarchy()), "NOPE", " -x -X" + kTail);
  EXPECT_EQ(unknown.exit_code, 255);
  EXPECT_NE(unknown.log.find("Error: top structure: no structure named NOPE"), std::string::npos) << unknown.log;
  EXPECT_EQ(ReadText(out_path_), before);
}

TEST_F(Translation, RenameMapDecodesNamesAndFindsCutOnesAndFollowsReferences) {
  const std::string long_name = "A_VERY_LONG_STRUCTURE_NAME_THAT_GOES_ON_AND_ON";
  Library lib = LibraryOf({Cell("odd (name)", {Rect(1, 0, 0, 0, 1, 1)}), Cell(long_name, {Rect(1, 0, 0, 0, 1, 1)}),
                           Cell("TOP", {Ref("odd (name)", 0, 0), Ref(long_name, 0, 0)})});
  WriteText(dir_.File("korvex.smp"), gds::EncodeName("odd (name)") + " plain\r\n" + long_name.substr(0, 34) +
                                         " SHORT%20ONE\r\nMISSING X\r\n");
  const EngineResult r = Run(HandMade(lib), "TOP", " -x -X -rename " + Q(dir_.File("korvex.smp")) + kTail);
  EXPECT_EQ(r.exit_code, 1) << r.log;  // the line naming a missing structure
  EXPECT_EQ(out_.Names(), (std::vector<std::string>{"plain", "SHORT ONE", "TOP"}));
  EXPECT_EQ(out_.Find("TOP")->elements[0].sname, "plain");
  EXPECT_EQ(out_.Find("TOP")->elements[1].sname, "SHORT ONE");
  // A map that would give two structures one name fails the run.
  WriteText(dir_.File("korvex.smp"), "TOP " + gds::EncodeName("odd (name)") + "\r\n");
  EXPECT_EQ(Run(HandMade(lib), "TOP", " -x -X -rename " + Q(dir_.File("korvex.smp")) + kTail).exit_code, 255);
}

TEST_F(Translation, NameFixingReplacesCutsAndKeepsNamesUnique) {
  Library lib = LibraryOf({Cell("a b", {Rect(1, 0, 0, 0, 1, 1)}), Cell("a_b", {Rect(1, 0, 0, 0, 1, 1)}),
                           Cell("TOP", {Ref("a b", 0, 0), Ref("a_b", 0, 0)})});
  EngineResult r = Run(HandMade(lib), "TOP", " -x -X -names" + kTail);
  ASSERT_EQ(r.exit_code, 0) << r.log;
  EXPECT_EQ(out_.Names(), (std::vector<std::string>{"a_b", "a_b_1", "TOP"}));
  EXPECT_EQ(out_.Find("TOP")->elements[1].sname, "a_b_1");
  EXPECT_NE(r.log.find("Name: a%20b -> a_b"), std::string::npos) << r.log;
  Run(HandMade(lib), "TOP", " -x -X -uc" + kTail);
  EXPECT_EQ(out_.Names(), (std::vector<std::string>{"A_B", "A_B_1", "TOP"}));
  Run(HandMade(lib), "TOP", " -x -X -lc" + kTail);
  EXPECT_EQ(out_.Names(), (std::vector<std::string>{"a_b", "a_b_1", "top"}));
}
TEST_F(Translation, ExplodedPathsOffTheAxesBecomeTheirOutlinesWhichPolygonLimitsLeaveAlone) {
  // 10 wide and 10000 long: placed at 45 degrees it is written as its outline, at 90 degrees it
  // stays a path; both are paths to the maximum extent of 1.
  const Library lib = LibraryOf({Cell("LEAF", {PathOf(3, 0, 10, 0, {{0, 0}, {10000, 0}})}),
                                 Cell("TOP", {Ref("LEAF", 0, 0, 45), Ref("LEAF", 1000, 0, 90)})});
  const EngineResult r = Run(HandMade(lib), "TOP", " -explode -maxext:1.000000" + kTail);
  ASSERT_EQ(r.exit_code, 0) << r.log;
  const std::vector<gds::Element>& flat = out_.Find("TOP")->elements;
  ASSERT_EQ(flat.size(), 2u);
  EXPECT_EQ(flat[0].kind, gds::ElementKind::kBoundary);
  EXPECT_FALSE(flat[0].width.has_value());
  // (0, 5), (10000, 5), (10000, -5), (0, -5) turned 45 degrees and rounded.
  EXPECT_EQ(flat[0].xy, (std::vector<gds::Point>{{-4, 4}, {7068, 7075}, {7075, 7068}, {4, -4}, {-4, 4}}));
  EXPECT_EQ(flat[1].kind, gds::ElementKind::kPath);
  EXPECT_EQ(flat[1].xy, (std::vector<gds::Point>{{1000, 0}, {1000, 10000}}));
}

TEST_F(Translation, PolygonFilteringDropsByEachLimit) {
  const Library lib = LibraryOf({Cell("TOP", {
                                                 Rect(1, 0, 0, 0, 100, 100),    // 0.1 x 0.1: below 0.5
                                                 Rect(1, 0, 0, 0, 1000, 1000),  // kept
                                                 Rect(1, 0, 0, 0, 30000, 1000), // extent 30 > 20
                                                 Rect(1, 0, 0, 0, 1000, 5000),  // h/w 5 > 4
                                                 Rect(1, 0, 0, 0, 5000, 1000),  // w/h 5 > 3
                                             })});
  Library with_l = lib;
  // An L: bounding box 2000 x 2000, area 1.6e6 * ... ratio 4e6 / 1.96e6 > 2.
  gds::Element l = Rect(1, 0, 0, 0, 0, 0);
  l.xy = {{0, 0}, {0, 2000}, {200, 2000}, {200, 200}, {2000, 200}, {2000, 0}, {0, 0}};
  with_l.structures[0].elements.push_back(l);
  const EngineResult r =
      Run(HandMade(with_l), "TOP", " -x -X -prune -explode -minext:0.500000 -maxext:20.000000 -h2w:4.000000 "
                                   "-w2h:3.000000 -aratio:2.000000 -maxvert:250000" + kTail);
  ASSERT_EQ(r.exit_code, 0) << r.log;
  ASSERT_EQ(out_.Find("TOP")->elements.size(), 1u);
  EXPECT_EQ(out_.Find("TOP")->elements[0].xy[2], (gds::Point{1000, 1000}));
  for (const char* reason : {"extent below the minimum", "extent above the maximum", "height/width above",
                             "width/height above", "area ratio above"})
    EXPECT_NE(r.log.find(reason), std::string::npos) << reason;
  Run(HandMade(with_l), "TOP", " -x -X -maxvert:5" + kTail);
  EXPECT_EQ(out_.Find("TOP")->elements.size(), 5u);  // the 6-vertex L goes
}

}  // namespace
}  // namespace korvex::enginetest
