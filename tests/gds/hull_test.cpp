#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "gds/convex_hull.h"
#include "gds/flat_transform.h"
#include "gds/hierarchy.h"
#include "gds/layout_summary.h"
#include "gds/stream_reader.h"
#include "library_builder.h"

namespace korvex::gds {
namespace {

using testing::LibraryBuilder;

TEST(ConvexHull, KeepsOnlyTheCornersCounterClockwise) {
  std::vector<HullPoint> points = {{5, 5}, {10, 10}, {0, 10}, {5, 0}, {0, 0}, {10, 0}, {2, 7}, {0, 0}, {10, 5}};
  EXPECT_EQ(ConvexHull(points), (std::vector<HullPoint>{{0, 0}, {10, 0}, {10, 10}, {0, 10}}));
}

TEST(ConvexHull, ReducesDegenerateSetsToTheirEnds) {
  std::vector<HullPoint> none, one = {{3, 4}, {3, 4}}, line = {{0, 0}, {4, 2}, {2, 1}, {-2, -1}};
  EXPECT_TRUE(ConvexHull(none).empty());
  EXPECT_EQ(ConvexHull(one), (std::vector<HullPoint>{{3, 4}}));
  EXPECT_EQ(ConvexHull(line), (std::vector<HullPoint>{{-2, -1}, {4, 2}}));
  // Large sets go through a filter first; it must keep what it cannot rule out.
  std::vector<HullPoint> same(500, HullPoint{7, -7}), diagonal;
  for (int i = 0; i < 500; ++i) diagonal.push_back({i * 0.5, i * 0.25});
  EXPECT_EQ(ConvexHull(same), (std::vector<HullPoint>{{7, -7}}));
  EXPECT_EQ(ConvexHull(diagonal), (std::vector<HullPoint>{{0, 0}, {249.5, 124.75}}));
}

TEST(ConvexHull, FindsTheCornersOfLargeSetsWhoseExtremesTie) {
  // A grid of points: every extreme direction ties along a side or at a corner.
  std::vector<HullPoint> grid;
  for (int x = 0; x <= 40; ++x)
    for (int y = 0; y <= 30; ++y) grid.push_back({double(x), double(y)});
  grid.push_back({20, 35});  // one point above the top side
  EXPECT_EQ(ConvexHull(grid), (std::vector<HullPoint>{{0, 0}, {40, 0}, {40, 30}, {20, 35}, {0, 30}}));
  std::vector<HullPoint> ring;
  for (int i = 0; i < 360; ++i) ring.push_back({1000 * std::cos(i * M_PI / 180), 1000 * std::sin(i * M_PI / 180)});
  for (int i = 0; i < 1000; ++i) ring.push_back({std::fmod(i * 7.3, 1400) - 700, std::fmod(i * 3.1, 1400) - 700});
  EXPECT_EQ(ConvexHull(ring).size(), 360u);
}

Element Triangle(std::int32_t w, std::int32_t h) {
  Element e;
  e.layer = 1;
  e.datatype = 0;
  e.xy = {{0, 0}, {w, 0}, {0, h}, {0, 0}};
  return e;
}

Element ArrayOf(const std::string& name, std::uint16_t columns, std::uint16_t rows, std::vector<Point> lattice,
                double angle, double mag = 1, bool reflect = false) {
  Element e;
  e.kind = ElementKind::kARef;
  e.has_sname = true;
  e.sname = name;
  e.strans = reflect ? 0x8000 : 0;
  e.mag = Real8::FromDouble(mag);
  e.angle = Real8::FromDouble(angle);
  e.colrow = std::array<std::uint16_t, 2>{columns, rows};
  e.xy = std::move(lattice);
  return e;
}

struct Scanned {
  LayoutSummary summary;
  Hierarchy exact, boxed;  // with and without the stream bytes

  std::uint32_t Index(const std::string& name) const {
    for (std::uint32_t i = 0; i < summary.structures.size(); ++i)
      if (summary.structures[i].name == name) return i;
    throw std::runtime_error("no " + name);
  }
};

Scanned Scan(const std::vector<std::uint8_t>& bytes) {
  Scanned s;
  Diagnostics diagnostics;
  EXPECT_TRUE(Summarize(bytes.data(), bytes.size(), diagnostics, s.summary));
  s.exact = ResolveHierarchy(s.summary, bytes.data(), bytes.size());
  s.boxed = ResolveHierarchy(s.summary);
  return s;
}

// The box of every flattened vertex, instance by instance: slow and independent of the hulls.
Box FlattenedBox(const Scanned& s, const std::vector<std::uint8_t>& bytes, std::uint32_t root) {
  Box box;
  Diagnostics ignored;
  std::function<void(std::uint32_t, const FlatTransform&)> walk = [&](std::uint32_t index, const FlatTransform& t) {
    const StructureSummary& st = s.summary.structures[index];
    StreamReader reader(bytes.data(), bytes.size(), ignored);
    reader.Seek(st.offset);
    EXPECT_TRUE(reader.NextStructure());
    Element e;
    while (reader.NextElement(e)) {
      if (e.kind != ElementKind::kBoundary && e.kind != ElementKind::kText) continue;
      for (const Point& p : e.xy) {
        double x, y;
        t.Apply(p.x, p.y, x, y);
        box.Add(x, y);
      }
    }
    for (std::size_t i = 0; i < st.reference_count; ++i) {
      const Reference& r = s.summary.references[st.first_reference + i];
      for (int c = 0; c < r.columns; ++c)
        for (int w = 0; w < r.rows; ++w) walk(r.child, Compose(t, PlacementOf(r, c, w)));
    }
  };
  walk(root, FlatTransform{});
  return box;
}

void ExpectNear(const Box& a, const Box& b, const std::string& what) {
  EXPECT_NEAR(a.min_x, b.min_x, 1e-6) << what;
  EXPECT_NEAR(a.min_y, b.min_y, 1e-6) << what;
  EXPECT_NEAR(a.max_x, b.max_x, 1e-6) << what;
  EXPECT_NEAR(a.max_y, b.max_y, 1e-6) << what;
}

TEST(ExactExtents, PlaceTheGeometryAt45DegreesNotItsBox) {
  const auto bytes =
      LibraryBuilder().Structure("LEAF").Add(Triangle(10000, 3000)).Structure("TOP").Ref("LEAF", {100, 200}, false, 1, 45).Bytes();
  const Scanned s = Scan(bytes);
  const double r = std::sqrt(0.5);
  Box tight;
  tight.Add(100 - 3000 * r, 200);
  tight.Add(100 + 10000 * r, 200 + 10000 * r);
  ExpectNear(s.exact.extents[s.Index("TOP")], tight, "exact");
  // The turned box reaches past the triangle's missing corner.
  EXPECT_NEAR(s.boxed.extents[s.Index("TOP")].max_y, 200 + 13000 * r, 1e-6);
}

TEST(ExactExtents, MatchTheFlattenedGeometryUnderEveryKindOfPlacement) {
  LibraryBuilder lib;
  lib.Structure("LEAF").Add(Triangle(10000, 3000)).Rect(2, -500, 800, -100, 900);
  lib.Structure("MID").Ref("LEAF", {500, 0}, false, 1, 30).Ref("LEAF", {-7000, 300}, true, 0.5, 200).Rect(3, 0, 0, 40, 40);
  lib.Structure("ODD_IN_ODD").Ref("MID", {-100, 7}, true, 1.37, 33.3);
  lib.Structure("QUARTER_OF_ODD").Ref("MID", {900, -900}, true, 2.5, 270);
  lib.Structure("ARRAY").Add(ArrayOf("MID", 3, 2, {{0, 0}, {30000, 3000}, {-2000, 20000}}, 135, 0.7, true));
  lib.Structure("ARRAY_QUARTER").Add(ArrayOf("MID", 4, 1, {{10, 10}, {80010, 10}, {10, 30010}}, 90));
  lib.Structure("TOP").Ref("ARRAY", {0, 0}, false, 1, -61.25).Ref("ODD_IN_ODD", {12345, 0}).Ref("QUARTER_OF_ODD", {0, 0}, false, 3, 1e-12);
  const auto bytes = lib.Bytes();
  const Scanned s = Scan(bytes);
  for (const char* name : {"LEAF", "MID", "ODD_IN_ODD", "QUARTER_OF_ODD", "ARRAY", "ARRAY_QUARTER", "TOP"}) {
    const std::uint32_t i = s.Index(name);
    ExpectNear(s.exact.extents[i], FlattenedBox(s, bytes, i), name);
  }
}

TEST(ExactExtents, SurviveACycleThroughAnOddPlacement) {
  const auto bytes = LibraryBuilder()
                         .Structure("A").Add(Triangle(100, 100)).Ref("B", {0, 0}, false, 1, 45)
                         .Structure("B").Rect(1, 0, 0, 10, 10).Ref("A", {50, 0}, false, 1, 10)
                         .Bytes();
  const Scanned s = Scan(bytes);
  EXPECT_EQ(s.exact.cycle_count, 1u);
  const Box& a = s.exact.extents[s.Index("A")];
  EXPECT_FALSE(a.empty());
  EXPECT_TRUE(std::isfinite(a.min_x) && std::isfinite(a.max_y));
}

TEST(ExactExtents, TakeTheAbsoluteFlagsAsRelative) {
  Element absolute_mag, absolute_angle;
  absolute_mag.kind = absolute_angle.kind = ElementKind::kSRef;
  absolute_mag.has_sname = absolute_angle.has_sname = true;
  absolute_mag.sname = absolute_angle.sname = "LEAF";
  absolute_mag.strans = 0x0004;
  absolute_mag.mag = Real8::FromDouble(1);
  absolute_angle.strans = 0x0002;
  absolute_angle.angle = Real8::FromDouble(0);
  absolute_mag.xy = absolute_angle.xy = {{0, 0}};
  const auto bytes = LibraryBuilder()
                         .Structure("LEAF").Rect(1, 0, 0, 10000, 3000)
                         .Structure("ABS_MAG").Add(absolute_mag)
                         .Structure("ABS_ANGLE").Add(absolute_angle)
                         .Structure("TOP").Ref("ABS_MAG", {0, 0}, false, 2, 90).Ref("ABS_ANGLE", {0, 0}, false, 1, 45)
                         .Bytes();
  const Scanned s = Scan(bytes);
  // The enclosing magnification and both enclosing angles still apply.
  const double r = std::sqrt(0.5);
  Box expected;
  expected.Add(-6000, 0);
  expected.Add(0, 20000);
  expected.Add(-3000 * r, 10000 * r + 3000 * r);
  expected.Add(10000 * r, 10000 * r);
  ExpectNear(s.exact.extents[s.Index("TOP")], expected, "TOP");
}

}  // namespace
}  // namespace korvex::gds
