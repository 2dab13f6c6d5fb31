#include "gds/geometry.h"

#include <cmath>
#include <cstdlib>

namespace korvex::gds {

bool IsQuarterTurn(double degrees) {
  const double quarter = std::fmod(degrees, 360.0) / 90.0;
  return std::fabs(quarter - std::round(quarter)) * 90.0 < 1e-9;
}

Box TransformBox(const Box& b, const Transform& t) {
  Box out;
  if (b.empty()) return out;
  double a = std::fmod(t.angle, 360.0);
  if (a < 0) a += 360.0;
  double c, s;
  if (IsQuarterTurn(a)) {  // exact values where the floating-point cosine is not
    switch (static_cast<int>(std::round(a / 90.0)) % 4) {
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
  Box box;
  if (n == 0) return box;
  const double h = std::fabs(static_cast<double>(width)) / 2.0;
  double ext_begin = 0, ext_end = 0;
  if (pathtype == 2) ext_begin = ext_end = h;
  if (pathtype == 4) {
    ext_begin = bgnextn;
    ext_end = endextn;
  }
  // The first and last points with a non-zero segment next to them carry the extensions.
  std::size_t segments = 0;
  for (std::size_t i = 0; i + 1 < n; ++i) {
    const double ax = pts[i].x, ay = pts[i].y, bx = pts[i + 1].x, by = pts[i + 1].y;
    const double dx = bx - ax, dy = by - ay;
    double ux, uy;
    if (dx == 0 || dy == 0) {  // Manhattan: no square root needed
      if (dx == 0 && dy == 0) continue;
      ux = (dx > 0) - (dx < 0);
      uy = (dy > 0) - (dy < 0);
    } else {
      const double len = std::hypot(dx, dy);
      ux = dx / len;
      uy = dy / len;
    }
    ++segments;
    const double nx = -uy * h, ny = ux * h;
    double sx = ax, sy = ay, ex = bx, ey = by;
    if (i == 0) {
      sx -= ux * ext_begin;
      sy -= uy * ext_begin;
    }
    if (i + 2 == n) {
      ex += ux * ext_end;
      ey += uy * ext_end;
    }
    box.Add(sx + nx, sy + ny);
    box.Add(sx - nx, sy - ny);
    box.Add(ex + nx, ey + ny);
    box.Add(ex - nx, ey - ny);
  }
  if (pathtype == 1 || segments == 0) {
    // Round caps, or a path without direction: the square around its end points.
    const double r = (pathtype == 1 || pathtype == 2) ? h : 0.0;
    for (const Point& p : {pts[0], pts[n - 1]}) {
      box.Add(p.x - r, p.y - r);
      box.Add(p.x + r, p.y + r);
    }
  }
  return box;
}

}  // namespace korvex::gds
