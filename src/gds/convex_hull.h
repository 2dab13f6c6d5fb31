// Convex hulls of point sets in database units. The extreme points of a set in any direction
// lie on its hull, so a hull carried through a rotation bounds the rotated set exactly where
// a transformed box would not.
#pragma once

#include <vector>

#include "gds/flat_transform.h"
#include "gds/geometry.h"

namespace korvex::gds {

// Doubles: a hull placed through a magnification or an angle leaves the grid.
struct HullPoint {
  double x = 0;
  double y = 0;
  bool operator==(const HullPoint&) const = default;
};

// The vertices of the convex hull, counter-clockwise from the lowest-leftmost point, without
// collinear or repeated points (one or two points for a degenerate set). `points` is used as
// working space and left in any order.
std::vector<HullPoint> ConvexHull(std::vector<HullPoint>& points);

// The box of `hull` (any points) moved by `t`.
Box PlacedBox(const std::vector<HullPoint>& hull, const FlatTransform& t);

}  // namespace korvex::gds
