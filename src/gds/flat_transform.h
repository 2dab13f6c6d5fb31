// Placements composed down a hierarchy, for writing a child's elements in the coordinates of
// a structure several levels up.
#pragma once

#include <vector>

#include "gds/geometry.h"

namespace korvex::gds {

// Reflect about X, magnify, rotate, translate, as one reference does; kept as the three
// parameters (texts and path widths need them) with the rotation's cosine and sine.
struct FlatTransform {
  bool reflect = false;
  double mag = 1.0;
  double angle = 0.0;  // degrees, in [0, 360)
  double dx = 0.0;
  double dy = 0.0;
  double cos = 1.0;
  double sin = 0.0;

  static FlatTransform From(const Transform& t);
  bool identity() const { return !reflect && mag == 1.0 && angle == 0.0 && dx == 0.0 && dy == 0.0; }
  void Apply(double x, double y, double& ox, double& oy) const {
    if (reflect) y = -y;
    x *= mag;
    y *= mag;
    ox = x * cos - y * sin + dx;
    oy = x * sin + y * cos + dy;
  }
};

// `child` placed inside `parent`: first the child's placement, then the parent's.
FlatTransform Compose(const FlatTransform& parent, const Transform& child);

// Moves every point, rounding half away from zero. False when a point leaves the 32-bit range
// (the points are then unchanged from that one on).
bool TransformPoints(const FlatTransform& t, std::vector<Point>& points);

}  // namespace korvex::gds
