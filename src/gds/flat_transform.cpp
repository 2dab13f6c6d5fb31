#include "gds/flat_transform.h"

#include <cmath>
#include <cstdint>

namespace korvex::gds {
namespace {

double NormalAngle(double degrees) {
  double a = std::fmod(degrees, 360.0);
  if (a < 0) a += 360.0;
  return a;
}

// Exact values at multiples of 90 degrees, where the floating-point cosine is not.
void CosSin(double degrees, double& c, double& s) {
  const double quarter = degrees / 90.0;
  const double q = std::round(quarter);
  if (std::fabs(quarter - q) * 90.0 < 1e-9) {
    static constexpr double kCos[4] = {1, 0, -1, 0};
    static constexpr double kSin[4] = {0, 1, 0, -1};
    const int i = static_cast<int>(q) & 3;
    c = kCos[i];
    s = kSin[i];
    return;
  }
  const double r = degrees * M_PI / 180.0;
  c = std::cos(r);
  s = std::sin(r);
}

}  // namespace

FlatTransform FlatTransform::From(const Transform& t) {
  FlatTransform f;
  f.reflect = t.reflect;
  f.mag = t.mag;
  f.angle = NormalAngle(t.angle);
  f.dx = t.dx;
  f.dy = t.dy;
  CosSin(f.angle, f.cos, f.sin);
  return f;
}

FlatTransform Compose(const FlatTransform& parent, const Transform& child) {
  FlatTransform f;
  f.reflect = parent.reflect != child.reflect;
  f.mag = parent.mag * child.mag;
  // A reflection in the parent turns the child's rotation the other way.
  f.angle = NormalAngle(parent.angle + (parent.reflect ? -child.angle : child.angle));
  CosSin(f.angle, f.cos, f.sin);
  parent.Apply(child.dx, child.dy, f.dx, f.dy);
  return f;
}

bool TransformPoints(const FlatTransform& t, std::vector<Point>& points) {
  // Quarter turns with whole magnification and displacement, the usual case: whole numbers
  // all the way, no rounding needed.
  const bool whole = (t.cos == 0 || t.sin == 0) && t.mag == std::floor(t.mag) && t.dx == std::floor(t.dx) &&
                     t.dy == std::floor(t.dy) && std::fabs(t.mag) < 65536 && std::fabs(t.dx) < 4e18 &&
                     std::fabs(t.dy) < 4e18;
  if (whole) {
    const std::int64_t c = static_cast<std::int64_t>(t.cos), s = static_cast<std::int64_t>(t.sin);
    const std::int64_t m = static_cast<std::int64_t>(t.mag);
    const std::int64_t dx = static_cast<std::int64_t>(t.dx), dy = static_cast<std::int64_t>(t.dy);
    for (Point& p : points) {
      const std::int64_t x = p.x * m, y = (t.reflect ? -std::int64_t{p.y} : std::int64_t{p.y}) * m;
      const std::int64_t ox = x * c - y * s + dx, oy = x * s + y * c + dy;
      if (ox < INT32_MIN || ox > INT32_MAX || oy < INT32_MIN || oy > INT32_MAX) return false;
      p = {static_cast<std::int32_t>(ox), static_cast<std::int32_t>(oy)};
    }
    return true;
  }
  for (Point& p : points) {
    double x, y;
    t.Apply(p.x, p.y, x, y);
    x = std::round(x);
    y = std::round(y);
    if (!(x >= INT32_MIN && x <= INT32_MAX && y >= INT32_MIN && y <= INT32_MAX)) return false;
    p = {static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)};
  }
  return true;
}

}  // namespace korvex::gds
