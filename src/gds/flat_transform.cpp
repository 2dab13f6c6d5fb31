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

std::optional<WholeTransform> WholeOf(const FlatTransform& t) {
  const bool whole = (t.cos == 0 || t.sin == 0) && t.mag == std::floor(t.mag) && t.dx == std::floor(t.dx) &&
                     t.dy == std::floor(t.dy) && std::fabs(t.mag) < 65536 && std::fabs(t.dx) < 4e18 &&
                     std::fabs(t.dy) < 4e18;
  if (!whole) return std::nullopt;
  WholeTransform w;
  w.reflect = t.reflect;
  w.cos = static_cast<std::int64_t>(t.cos);
  w.sin = static_cast<std::int64_t>(t.sin);
  w.mag = static_cast<std::int64_t>(t.mag);
  w.dx = static_cast<std::int64_t>(t.dx);
  w.dy = static_cast<std::int64_t>(t.dy);
  return w;
}

bool TransformPoints(const FlatTransform& t, std::vector<Point>& points) {
  if (const std::optional<WholeTransform> w = WholeOf(t)) {
    for (Point& p : points)
      if (!w->Apply(p)) return false;
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
