// Layer numbers, names and geometry that the engine's options rest on.
#include <gtest/gtest.h>

#include <cmath>

#include "gds/flat_transform.h"
#include "gds/path_outline.h"
#include "gds/polygon.h"
#include "korvexe/number_rules.h"
#include "korvexe/structure_names.h"

namespace korvex::engine {
namespace {

TEST(NumberMap, SingleCollapseAndShiftRulesLaterWins) {
  NumberMap map;
  std::vector<std::string> skipped;
  std::string error;
  ASSERT_TRUE(map.Parse("2-3:10-11,4:11,junk,7-9:5,8:1", skipped, error)) << error;
  EXPECT_EQ(map(1), 1);
  EXPECT_EQ(map(2), 10);
  EXPECT_EQ(map(3), 11);
  EXPECT_EQ(map(4), 11);
  EXPECT_EQ(map(7), 5);
  EXPECT_EQ(map(8), 1);
  EXPECT_EQ(map(9), 5);
  EXPECT_EQ(map(65535), 65535);
  EXPECT_EQ(skipped, std::vector<std::string>{"junk"});
  EXPECT_TRUE(map.active());
}

TEST(NumberMap, RuleWhoseLastNumberEqualsItsFirstOutputCollapses) {
  NumberMap map;
  std::vector<std::string> skipped;
  std::string error;
  ASSERT_TRUE(map.Parse("5-7:20-20", skipped, error));
  EXPECT_EQ(map(5), 20);
  EXPECT_EQ(map(7), 20);
}

TEST(NumberMap, ShiftBeyond65535IsRefused) {
  NumberMap map;
  std::vector<std::string> skipped;
  std::string error;
  EXPECT_FALSE(map.Parse("65530-65535:65534-65539", skipped, error));
  EXPECT_NE(error.find("65539"), std::string::npos) << error;
}

TEST(NumberFilter, IncludeExcludeRangesAndEmptyLists) {
  NumberFilter include, exclude, none, all;
  std::string error;
  ASSERT_TRUE(include.Parse("1,5,10-12,", false, error));
  EXPECT_TRUE(include.Keeps(11));
  EXPECT_FALSE(include.Keeps(2));
  ASSERT_TRUE(exclude.Parse("1,5", true, error));
  EXPECT_FALSE(exclude.Keeps(5));
  EXPECT_TRUE(exclude.Keeps(65535));
  ASSERT_TRUE(none.Parse("", false, error));
  EXPECT_FALSE(none.Keeps(0));
  ASSERT_TRUE(all.Parse("", true, error));
  EXPECT_FALSE(all.active());
  EXPECT_FALSE(include.Parse("1,x2", false, error));
  EXPECT_NE(error.find("x2"), std::string::npos);
  EXPECT_FALSE(include.Parse("70000", false, error));
}

TEST(StructureNames, FixingKeepsTheAllowedCharactersAndCutsTo32) {
  EXPECT_EQ(FixName("a b(1)$?_Z", NameCase::kFix), "a_b_1_$?_Z");
  EXPECT_EQ(FixName("Mixed_Case", NameCase::kLower), "mixed_case");
  EXPECT_EQ(FixName("Mixed_Case", NameCase::kUpper), "MIXED_CASE");
  EXPECT_EQ(FixName(std::string(40, 'x'), NameCase::kFix).size(), 32u);
  EXPECT_EQ(FixName("odd name", NameCase::kKeep), "odd name");
}

TEST(StructureNames, ClashesGetASuffixWithinTheLengthLimit) {
  std::unordered_set<std::string> taken;
  EXPECT_EQ(UniqueName("A", taken, 32), "A");
  EXPECT_EQ(UniqueName("A", taken, 32), "A_1");
  EXPECT_EQ(UniqueName("A", taken, 32), "A_2");
  const std::string long_name(32, 'L');
  EXPECT_EQ(UniqueName(long_name, taken, 32), long_name);
  EXPECT_EQ(UniqueName(long_name, taken, 32), std::string(30, 'L') + "_1");
}

double OutlineArea(std::vector<gds::Point> points, int width, int type, int bgn = 0, int end = 0) {
  std::vector<gds::Point> outline;
  std::string why;
  gds::PathShape shape{width, type, bgn, end};
  if (!gds::PathOutline(points, shape, outline, why)) return -1;
  EXPECT_EQ(outline.front(), outline.back());
  return gds::PolygonArea(outline.data(), outline.size());
}

TEST(PathOutline, AreaFollowsWidthLengthAndEnds) {
  EXPECT_DOUBLE_EQ(OutlineArea({{0, 0}, {1000, 0}}, 100, 0), 100000);
  EXPECT_DOUBLE_EQ(OutlineArea({{0, 0}, {1000, 0}}, 100, 2), 110000);
  EXPECT_DOUBLE_EQ(OutlineArea({{0, 0}, {1000, 0}}, -100, 4, 30, -20), 101000);
  // An L: two legs of 1000 with a mitred corner cover 2 * 1000 * 100.
  EXPECT_DOUBLE_EQ(OutlineArea({{0, 0}, {1000, 0}, {1000, 1000}}, 100, 0), 200000);
  // Round ends add a circle of the width, to within the polygon's approximation.
  const double round = OutlineArea({{0, 0}, {0, 1000}}, 200, 1);
  EXPECT_NEAR(round, 200000 + M_PI * 100 * 100, 200);
  EXPECT_DOUBLE_EQ(OutlineArea({{5, 5}}, 100, 2), 10000);
  EXPECT_EQ(OutlineArea({{0, 0}, {1000, 0}}, 0, 0), -1);
  EXPECT_EQ(OutlineArea({{5, 5}, {5, 5}}, 100, 0), -1);
}

TEST(FlatTransform, ComposedPlacementsMatchStepByStep) {
  // Child placed at (100, 0) rotated 90 degrees, inside a parent reflected and moved by (0, 50).
  gds::Transform parent{true, 1.0, 0.0, 0.0, 50.0};
  gds::Transform child{false, 2.0, 90.0, 100.0, 0.0};
  const gds::FlatTransform both = gds::Compose(gds::FlatTransform::From(parent), child);
  std::vector<gds::Point> p = {{10, 0}};
  ASSERT_TRUE(gds::TransformPoints(both, p));
  // Child: (10,0) -> *2 (20,0) -> rot 90 (0,20) -> +(100,0) = (100,20). Parent: reflect (100,-20) -> +(0,50).
  EXPECT_EQ(p[0], (gds::Point{100, 30}));
  EXPECT_TRUE(both.reflect);
  EXPECT_DOUBLE_EQ(both.angle, 270.0);
  EXPECT_DOUBLE_EQ(both.mag, 2.0);
  std::vector<gds::Point> far = {{2000000000, 0}};
  EXPECT_FALSE(gds::TransformPoints(both, far));
}

TEST(PolygonMeasures, ClosingPointIsNotAVertex) {
  const std::vector<gds::Point> square = {{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}};
  EXPECT_EQ(gds::VertexCount(square.data(), square.size()), 4u);
  EXPECT_DOUBLE_EQ(gds::PolygonArea(square.data(), square.size()), 100);
  EXPECT_DOUBLE_EQ(gds::PolygonArea(square.data(), 4), 100);  // not closed: closed implicitly
}

}  // namespace
}  // namespace korvex::engine
