// Coordinates at the 32-bit limit: every operation that computes new coordinates (unfolding,
// flattening with magnification or arrays, rescaling merges) writes the exact result or
// refuses with an error that names the structure, the element's offset and the coordinate.
#include <gtest/gtest.h>

#include <climits>

#include "tools/korvexe/engine_fixture.h"

namespace korvex::enginetest {
namespace {

const std::string kTail = " -x -X -min:0.000000 -tmag:1000000.000000";

class Limits : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const Library& lib) {
    WriteLibrary(dir_.File(name), lib);
    return dir_.File(name);
  }
  EngineResult Run(const std::string& input, const std::string& top, const std::string& switches) {
    WriteText(output_, "earlier output");
    return RunEngineText("\"" + input + "\" \"" + output_ + "\" \"" + top + "\"" + switches, dir_);
  }
  // The file offset of element `index` of `structure`, as our reader sees it.
  static std::uint64_t OffsetOf(const std::string& file, const std::string& structure, std::size_t index) {
    const Library lib = ReadLibrary(file);
    const Structure* s = lib.Find(structure);
    return s != nullptr && index < s->elements.size() ? s->elements[index].offset : 0;
  }
  // Refused: exit 255, one error naming all three, the earlier output untouched.
  void ExpectRefused(const EngineResult& r, const std::string& structure, std::uint64_t offset,
                     const std::string& coordinate) {
    EXPECT_EQ(r.exit_code, 255) << r.log;
    const std::size_t error = r.log.find("Error: structure " + structure + ": element at offset " +
                                         std::to_string(offset));
    ASSERT_NE(error, std::string::npos) << r.log;
    const std::string line = r.log.substr(error, r.log.find('\n', error) - error);
    EXPECT_NE(line.find(coordinate), std::string::npos) << line;
    EXPECT_NE(line.find("32-bit range"), std::string::npos) << line;
    EXPECT_EQ(ReadText(output_), "earlier output");
  }
  static gds::Box BoxOf(const gds::Element& e) {
    gds::Box b;
    for (const gds::Point& p : e.xy) b.Add(p.x, p.y);
    return b;
  }

  TempDir dir_;
  std::string output_ = dir_.File("out.gds");
};

TEST_F(Limits, UnfoldRefusesAnOutlineBeyondTheRangeAndIsExactUpToIt) {
  // 20000 wide with half-width ends, ending 100 short of the limit: the outline reaches
  // 2147493547, which once wrapped to a negative x.
  const std::string far = Write("far.gds", LibraryOf({Cell("EDGE", {PathOf(1, 0, 20000, 2, {{2147000000, 0},
                                                                                            {2147483547, 0}})})}));
  ExpectRefused(Run(far, "", kTail + " -unfold"), "EDGE", OffsetOf(far, "EDGE", 0), "x = 2147493547");

  // Ending exactly where the outline touches the limit: written as it is.
  const std::string edge = Write("edge.gds", LibraryOf({Cell("EDGE", {PathOf(1, 0, 20000, 2, {{2147000000, -5},
                                                                                             {2147473647, -5}})})}));
  const EngineResult r = Run(edge, "", kTail + " -unfold");
  ASSERT_EQ(r.exit_code, 0) << r.log;
  const Library out = ReadLibrary(output_);
  ASSERT_NE(out.Find("EDGE"), nullptr);
  ASSERT_EQ(out.Find("EDGE")->elements.size(), 1u);
  const gds::Element& b = out.Find("EDGE")->elements[0];
  EXPECT_EQ(b.kind, gds::ElementKind::kBoundary);
  const gds::Box box = BoxOf(b);
  EXPECT_EQ(box.max_x, double(INT_MAX));
  EXPECT_EQ(box.min_x, 2147000000.0 - 10000);
  EXPECT_EQ(box.min_y, -10005.0);
  EXPECT_EQ(box.max_y, 9995.0);
}

TEST_F(Limits, ExplodeRefusesMagnifiedAndArrayedGeometryBeyondTheRange) {
  // Magnified by 2, a point at 1.5e9 of the child lands at 3e9.
  const std::string magnified = Write(
      "mag.gds", LibraryOf({Cell("CHILD", {Rect(1, 0, 0, 0, 1500000000, 10)}),
                            Cell("TOP", {Ref("CHILD", 0, 0, 0, false, 2.0)})}));
  ExpectRefused(Run(magnified, "TOP", kTail + " -explode"), "CHILD", OffsetOf(magnified, "CHILD", 0),
                "x = 3000000000");

  // Columns at 0, 7e8 and 1.4e9: the last one's child, 8e8 wide, reaches 2.2e9.
  const std::string arrayed = Write(
      "array.gds", LibraryOf({Cell("CELL", {Rect(1, 0, 0, 0, 800000000, 10)}),
                              Cell("TOP", {ArrayRef("CELL", 3, 1, {0, 0}, {2100000000, 0}, {0, 100})})}));
  ExpectRefused(Run(arrayed, "TOP", kTail + " -explode"), "CELL", OffsetOf(arrayed, "CELL", 0), "x = 2200000000");
}

TEST_F(Limits, ExplodeWritesMagnifiedPathsAsOutlinesUpToTheRangeAndRefusesBeyond) {
  // 1.5e9 wide: magnified 2 the outline reaches +-1.5e9 (a path 3e9 wide could not be written,
  // its outline can); magnified 3 it reaches 2.25e9.
  const gds::Element wide = PathOf(1, 0, 1500000000, 0, {{0, 0}, {10, 0}});
  const std::string doubled = Write("width2.gds", LibraryOf({Cell("P", {wide}), Cell("TOP", {Ref("P", 0, 0, 0, false, 2)})}));
  const EngineResult r = Run(doubled, "TOP", kTail + " -explode");
  ASSERT_EQ(r.exit_code, 0) << r.log;
  const Library out = ReadLibrary(output_);
  ASSERT_NE(out.Find("TOP"), nullptr);
  ASSERT_EQ(out.Find("TOP")->elements.size(), 1u);
  const gds::Element& outline = out.Find("TOP")->elements[0];
  EXPECT_EQ(outline.kind, gds::ElementKind::kBoundary);
  EXPECT_EQ(BoxOf(outline), (gds::Box{0, -1500000000, 20, 1500000000}));
  const std::string tripled = Write("width3.gds", LibraryOf({Cell("P", {wide}), Cell("TOP", {Ref("P", 0, 0, 0, false, 3)})}));
  ExpectRefused(Run(tripled, "TOP", kTail + " -explode"), "P", OffsetOf(tripled, "P", 0), "y = 2250000000");

  gds::Element extended = PathOf(2, 0, 10, 4, {{0, 0}, {10, 0}});
  extended.bgnextn = 0;
  extended.endextn = 1500000000;
  const std::string ext = Write("ext.gds", LibraryOf({Cell("P", {extended}), Cell("TOP", {Ref("P", 0, 0, 0, false, 2)})}));
  ExpectRefused(Run(ext, "TOP", kTail + " -explode"), "P", OffsetOf(ext, "P", 0), "x = 3000000020");
}

TEST_F(Limits, ExplodeNearTheLimitIsExact) {
  // Rotated by 90 degrees and magnified 2: (1e9, 10) lands at (-20, 2e9). Two columns 2^30 - 1
  // apart, and a child 2^30 wide: the second one ends on the limit itself.
  const std::string near = Write(
      "near.gds", LibraryOf({Cell("CHILD", {Rect(1, 0, 0, 0, 1000000000, 10)}),
                             Cell("DOT", {Rect(2, 0, 0, 0, 1073741824, 1)}),
                             Cell("TOP", {Ref("CHILD", 0, 0, 90, false, 2.0),
                                          ArrayRef("DOT", 2, 1, {0, 0}, {2147483646, 0}, {0, 1})})}));
  const EngineResult r = Run(near, "TOP", kTail + " -explode");
  ASSERT_EQ(r.exit_code, 0) << r.log;
  const Library out = ReadLibrary(output_);
  ASSERT_NE(out.Find("TOP"), nullptr);
  gds::Box layer1, layer2;
  for (const gds::Element& e : out.Find("TOP")->elements) (e.layer == 1 ? layer1 : layer2).Add(BoxOf(e));
  EXPECT_EQ(layer1.max_y, 2000000000.0);
  EXPECT_EQ(layer1.min_x, -20.0);
  EXPECT_EQ(layer2.max_x, double(INT_MAX));
}

TEST_F(Limits, RescalingMergeRefusesCoordinatesBeyondTheRange) {
  const std::string input = Write("in.gds", LibraryOf({Cell("TOP", {Rect(1, 0, 0, 0, 10, 10)})}));
  // 10 nm units, rescaled by 10 to the input's 1 nm.
  const std::string coarse = Write("coarse.gds", LibraryOf({Cell("BIG", {Rect(1, 0, 0, 0, 300000000, 10)})}, 0.01, 1e-8));
  WriteText(dir_.File("korvex.lst"), coarse + "\r\n");
  const EngineResult r = Run(input, "TOP", " -merge -min:0.000000 -tmag:1000000.000000");
  ExpectRefused(r, "BIG", OffsetOf(coarse, "BIG", 0), "x = 300000000 times 10 would be 3000000000");
  EXPECT_NE(r.log.find(coarse), std::string::npos) << r.log;

  // Within the range the rescaled coordinates are exact.
  const std::string fits = Write("fits.gds", LibraryOf({Cell("BIG", {Rect(1, 0, 0, 0, 214748364, 10)})}, 0.01, 1e-8));
  WriteText(dir_.File("korvex.lst"), fits + "\r\n");
  const EngineResult ok = Run(input, "TOP", " -merge -min:0.000000 -tmag:1000000.000000");
  ASSERT_EQ(ok.exit_code, 0) << ok.log;
  const Library out = ReadLibrary(output_);
  ASSERT_NE(out.Find("BIG"), nullptr);
  EXPECT_EQ(BoxOf(out.Find("BIG")->elements.at(0)).max_x, 2147483640.0);
}

}  // namespace
}  // namespace korvex::enginetest
