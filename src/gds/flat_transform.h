// Placements composed down a hierarchy, for writing a child's elements in the coordinates of
// a structure several levels up.
#pragma once

#include <cstdint>
#include <optional>
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

// Quarter turns with whole magnification and displacement, the usual case: whole numbers all
// the way, no rounding needed.
struct WholeTransform {
  bool reflect = false;
  std::int64_t cos = 1, sin = 0, mag = 1, dx = 0, dy = 0;

  // Moves `p`; false when it would leave the 32-bit range (`p` is then unchanged).
  bool Apply(Point& p) const {
    const std::int64_t x = p.x * mag, y = (reflect ? -std::int64_t{p.y} : std::int64_t{p.y}) * mag;
    const std::int64_t ox = x * cos - y * sin + dx, oy = x * sin + y * cos + dy;
    if (ox < INT32_MIN || ox > INT32_MAX || oy < INT32_MIN || oy > INT32_MAX) return false;
    p = {static_cast<std::int32_t>(ox), static_cast<std::int32_t>(oy)};
    return true;
  }
};
// `t` in whole numbers, when it is one.
std::optional<WholeTransform> WholeOf(const FlatTransform& t);

// Moves every point, rounding half away from zero. False when a point leaves the 32-bit range
// (the points are then unchanged from that one on).
bool TransformPoints(const FlatTransform& t, std::vector<Point>& points);

}  // namespace korvex::gds
