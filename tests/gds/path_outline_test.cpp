// The outline of a path and its extent: one rule, so that the extent the scanner reports is
// the box of exactly the boundary that unfolding writes, also beyond the 32-bit range.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>

#include "gds/flat_transform.h"
#include "gds/geometry.h"
#include "gds/path_cases.h"
#include "gds/path_outline.h"
#include "gds/polygon.h"

namespace korvex::gds {
namespace {

Box Traced(const gdstest::PathCase& c) {
  std::vector<WidePoint> outline;
  std::vector<Point> scratch;
  TracePathOutline(c.points.data(), c.points.size(), c.shape, outline, scratch);
  Box b;
  for (const WidePoint& p : outline) b.Add(double(p.x), double(p.y));
  return b;
}

Box PathBoxOf(const gdstest::PathCase& c) {
  return PathBox(c.points.data(), c.points.size(), c.shape.width, c.shape.pathtype, c.shape.bgnextn, c.shape.endextn);
}

TEST(PathOutline, ExtentIsTheBoxOfTheWrittenBoundary) {
  std::vector<gdstest::PathCase> cases = gdstest::HandMadePaths();
  for (gdstest::PathCase& c : gdstest::RandomPaths(3, 2000)) cases.push_back(std::move(c));
  std::size_t written = 0;
  for (const gdstest::PathCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Point> outline;
    std::string why;
    const OutlineFault fault = BuildPathOutline(c.points, c.shape, outline, why);
    const Box box = PathBoxOf(c);
    EXPECT_EQ(box, Traced(c));
    if (fault != OutlineFault::kNone) {
      EXPECT_EQ(fault, OutlineFault::kNoArea) << why;
      EXPECT_TRUE(outline.empty());
      continue;
    }
    ++written;
    ASSERT_GE(outline.size(), 4u);
    EXPECT_EQ(outline.front(), outline.back());
    for (std::size_t i = 1; i < outline.size(); ++i) EXPECT_FALSE(outline[i] == outline[i - 1]);
    EXPECT_EQ(box, PointsBox(outline.data(), outline.size()));
  }
  EXPECT_GT(written, cases.size() * 9 / 10);
}

TEST(PathOutline, SharpJoinsReachAsFarAsTheirCorners) {
  // A 3000-wide path turning back sharply: the outer corner is cut half a width past the
  // point on both legs, beyond what the two segment rectangles cover (max x 11500).
  const std::vector<Point> pts = {{0, 0}, {10000, 0}, {2000, 1500}};
  const Box box = PathBox(pts.data(), pts.size(), 3000, 0, 0, 0);
  EXPECT_GT(box.max_x, 11500);
  // A 60-wide path turning back at 45 degrees: inner corner where the sides meet, outer cut
  // at half a width along both legs: (1030, -30) and (1042, 0).
  std::vector<Point> outline;
  std::string why;
  ASSERT_EQ(BuildPathOutline({{0, 0}, {1000, 0}, {0, 1000}}, {60, 0, 0, 0}, outline, why), OutlineFault::kNone);
  EXPECT_NE(std::find(outline.begin(), outline.end(), Point{1030, -30}), outline.end());
  EXPECT_NE(std::find(outline.begin(), outline.end(), Point{1042, 0}), outline.end());
  EXPECT_NE(std::find(outline.begin(), outline.end(), Point{928, 30}), outline.end());
  // Turning straight back off the axes, at (5095, -771): cut half a width past the point on
  // both sides, never drawn through the point.
  ASSERT_EQ(BuildPathOutline({{7225, 720}, {5095, -771}, {5505, -484}}, {160, 0, 0, 0}, outline, why),
            OutlineFault::kNone);
  EXPECT_NE(std::find(outline.begin(), outline.end(), Point{5075, -882}), outline.end());
  EXPECT_NE(std::find(outline.begin(), outline.end(), Point{4984, -751}), outline.end());
  EXPECT_EQ(std::find(outline.begin(), outline.end(), Point{5095, -771}), outline.end());
}

TEST(PathOutline, PathsWithoutAreaAreRefusedButKeepTheirExtent) {
  std::vector<Point> outline;
  std::string why;
  EXPECT_EQ(BuildPathOutline({{0, 0}, {1000, 0}}, {0, 0, 0, 0}, outline, why), OutlineFault::kNoArea);
  EXPECT_EQ(BuildPathOutline({{5, 5}, {5, 5}}, {100, 0, 0, 0}, outline, why), OutlineFault::kNoArea);
  EXPECT_EQ(BuildPathOutline({{0, 0}, {30, 0}}, {100, 4, -10, -20}, outline, why), OutlineFault::kNoArea);
  EXPECT_TRUE(outline.empty());
  // Their extent is still that of their degenerate outline: a zero-width path is its centre
  // line with its extensions, a flush single point a line across.
  const std::vector<Point> line = {{0, 0}, {1000, 0}};
  const Box b = PathBox(line.data(), line.size(), 0, 4, 50, 50);
  EXPECT_EQ(b.min_x, -50);
  EXPECT_EQ(b.max_x, 1050);
  EXPECT_EQ(b.min_y, 0);
  EXPECT_EQ(b.max_y, 0);
  const Point dot{7, 7};
  const Box d = PathBox(&dot, 1, 60, 0, 0, 0);
  EXPECT_EQ(d.min_y, -23);
  EXPECT_EQ(d.max_y, 37);
  EXPECT_EQ(d.min_x, 7);
  EXPECT_EQ(d.max_x, 7);
}

// A closed outline as a cycle independent of where it starts and which way it runs: the
// closing point dropped, counter-clockwise, starting at its least point.
std::vector<Point> Cycle(std::vector<Point> pts) {
  if (pts.size() > 1 && pts.front() == pts.back()) pts.pop_back();
  double twice = 0;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    const Point& a = pts[i];
    const Point& b = pts[(i + 1) % pts.size()];
    twice += double(a.x) * b.y - double(b.x) * a.y;
  }
  if (twice < 0) std::reverse(pts.begin(), pts.end());
  const auto least = std::min_element(pts.begin(), pts.end(), [](const Point& a, const Point& b) {
    return a.x != b.x ? a.x < b.x : a.y < b.y;
  });
  std::rotate(pts.begin(), least, pts.end());
  return pts;
}

TEST(PathOutline, PlacementsThatKeepTheOutlineGiveThePlacedPathThePlacedOutline) {
  // Where a flattened path may stay a path, its outline is the placed outline, point for point.
  std::vector<gdstest::PathCase> cases = gdstest::HandMadePaths();
  for (gdstest::PathCase& c : gdstest::RandomPaths(11, 1000)) cases.push_back(std::move(c));
  std::size_t compared = 0, one_point = 0;
  for (const bool reflect : {false, true}) {
    for (const double angle : {0.0, 90.0, 180.0, 270.0}) {
      const FlatTransform t = FlatTransform::From(Transform{reflect, 1.0, angle, 1234, -567});
      for (const gdstest::PathCase& c : cases) {
        SCOPED_TRACE(c.name + (reflect ? ", reflected" : "") + ", angle " + std::to_string(int(angle)));
        if (!PlacementKeepsOutline(c.points, t)) {
          ++one_point;
          continue;
        }
        std::vector<Point> placed_points = c.points, placed, of_placed;
        ASSERT_TRUE(TransformPoints(t, placed_points));
        std::string why;
        const OutlineFault fault = PlacedPathOutline(c.points, c.shape, t, placed, why);
        ASSERT_EQ(fault, BuildPathOutline(placed_points, c.shape, of_placed, why));
        if (fault != OutlineFault::kNone) continue;
        ++compared;
        EXPECT_EQ(Cycle(placed), Cycle(of_placed));
      }
    }
  }
  EXPECT_GT(compared, cases.size() * 8 * 9 / 10);
  EXPECT_GT(one_point, 0u);
  // Elsewhere a path does not keep its outline.
  const std::vector<Point> line = {{0, 0}, {1000, 0}, {0, 1000}};
  EXPECT_FALSE(PlacementKeepsOutline(line, FlatTransform::From(Transform{false, 1.0, 30.0, 0, 0})));
  EXPECT_FALSE(PlacementKeepsOutline(line, FlatTransform::From(Transform{false, 2.0, 90.0, 0, 0})));
  EXPECT_FALSE(PlacementKeepsOutline({{5, 5}, {5, 5}}, FlatTransform::From(Transform{false, 1.0, 180.0, 0, 0})));
  EXPECT_TRUE(PlacementKeepsOutline({{5, 5}, {5, 5}}, FlatTransform::From(Transform{true, 1.0, 0.0, 7, 0})));
}

TEST(PathOutline, PlacedOutlineIsTracedWherePathStandsThenMovedAndRounded) {
  // A 60-wide path turning back at 45 degrees, turned 30 degrees and magnified 1.5: each point
  // of its outline (among them the cut corner at (1042, 0)) lands where the placement puts it,
  // rounded; the path's own points are not rounded first.
  const std::vector<Point> pts = {{0, 0}, {1000, 0}, {0, 1000}};
  const PathShape shape{60, 0, 0, 0};
  const FlatTransform t = FlatTransform::From(Transform{false, 1.5, 30.0, 0.5, 0.25});
  std::vector<Point> outline, placed;
  std::string why;
  ASSERT_EQ(BuildPathOutline(pts, shape, outline, why), OutlineFault::kNone);
  ASSERT_EQ(PlacedPathOutline(pts, shape, t, placed, why), OutlineFault::kNone);
  ASSERT_EQ(placed.size(), outline.size());
  for (std::size_t i = 0; i < outline.size(); ++i) {
    double x, y;
    t.Apply(outline[i].x, outline[i].y, x, y);
    EXPECT_LE(std::fabs(placed[i].x - x), 0.5);
    EXPECT_LE(std::fabs(placed[i].y - y), 0.5);
  }
  // (1042, 0) magnified 1.5 and turned 30 degrees is (1353.6, 781.5); moved by (0.5, 0.25).
  EXPECT_NE(std::find(placed.begin(), placed.end(), Point{1354, 782}), placed.end());
  // Beyond the range after the placement: refused, naming the coordinate.
  const FlatTransform far = FlatTransform::From(Transform{false, 1.0, 45.0, 2147483000.0, 0});
  EXPECT_EQ(PlacedPathOutline(pts, shape, far, placed, why), OutlineFault::kOutOfRange);
  EXPECT_NE(why.find("x = 21474"), std::string::npos) << why;
  EXPECT_TRUE(placed.empty());
}

TEST(PathOutline, BeyondThe32BitRangeTheExtentStaysExactAndTheBoundaryIsRefused) {
  // 20000 wide with half-width ends, ending 100 short of the limit.
  const std::vector<Point> pts = {{2147000000, 0}, {2147483547, 0}};
  const Box box = PathBox(pts.data(), pts.size(), 20000, 2, 0, 0);
  EXPECT_EQ(box.max_x, 2147493547.0);
  EXPECT_EQ(box.min_x, 2146990000.0);
  std::vector<Point> outline;
  std::string why;
  EXPECT_EQ(BuildPathOutline(pts, {20000, 2, 0, 0}, outline, why), OutlineFault::kOutOfRange);
  EXPECT_NE(why.find("x = 2147493547"), std::string::npos) << why;
  EXPECT_TRUE(outline.empty());
  EXPECT_FALSE(PathOutline(pts, {20000, 2, 0, 0}, outline, why));
  // Below the range too, on y.
  const std::vector<Point> low = {{0, INT_MIN + 5}, {100, INT_MIN + 5}};
  EXPECT_EQ(BuildPathOutline(low, {20, 0, 0, 0}, outline, why), OutlineFault::kOutOfRange);
  EXPECT_NE(why.find("y = -2147483653"), std::string::npos) << why;
  EXPECT_EQ(PathBox(low.data(), low.size(), 20, 0, 0, 0).min_y, double(INT_MIN) - 5);
}

}  // namespace
}  // namespace korvex::gds
