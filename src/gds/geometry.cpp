#include "gds/geometry.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "gds/path_outline.h"

namespace korvex::gds {

Box TransformBox(const Box& b, const Transform& t) {
  Box out;
  if (b.empty()) return out;
  double a = std::fmod(t.angle, 360.0);
  if (a < 0) a += 360.0;
  double c, s;
  const double quarter = a / 90.0;
  const double q = std::round(quarter);
  if (std::fabs(quarter - q) * 90.0 < 1e-9) {  // treat as an exact multiple of 90
    switch (static_cast<int>(q) % 4) {
      case 0: c = 1; s = 0; break;
      case 1: c = 0; s = 1; break;
      case 2: c = -1; s = 0; break;
      default: c = 0; s = -1; break;
    }
  } else {
    const double r = a * M_PI / 180.0;
    c = std::cos(r);
    s = std::sin(r);
  }
  const double xs[2] = {b.min_x, b.max_x};
  const double ys[2] = {b.min_y, b.max_y};
  for (double x0 : xs) {
    for (double y0 : ys) {
      double x = x0, y = t.reflect ? -y0 : y0;
      x *= t.mag;
      y *= t.mag;
      out.Add(x * c - y * s + t.dx, x * s + y * c + t.dy);
    }
  }
  return out;
}

Box PathBox(const Point* pts, std::size_t n, std::int32_t width, int pathtype, std::int32_t bgnextn,
            std::int32_t endextn) {
  // The box of exactly the outline that unfolding writes (degenerate for a path without
  // area), so that extents and boundaries agree. Buffers are kept between calls: the scanner
  // calls this for every path.
  thread_local std::vector<WidePoint> outline;
  thread_local std::vector<Point> scratch;
  Box box;
  if (n == 0) return box;
  TracePathOutline(pts, n, PathShape{width, pathtype, bgnextn, endextn}, outline, scratch);
  std::int64_t x0 = outline.front().x, x1 = x0, y0 = outline.front().y, y1 = y0;
  for (const WidePoint& p : outline) {
    x0 = std::min(x0, p.x);
    x1 = std::max(x1, p.x);
    y0 = std::min(y0, p.y);
    y1 = std::max(y1, p.y);
  }
  box.Add(double(x0), double(y0));
  box.Add(double(x1), double(y1));
  return box;
}

}  // namespace korvex::gds
