#include "gds/geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "gds/path_outline.h"

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

namespace {

// Axis-parallel paths, the usual case, without tracing their outline: runs in one direction
// merged (their inner points add nothing), each run's rectangle reaches the rounded half width
// past every joint and the path's own extensions at its ends (a round end reaches as far as a
// half-width one on these directions). That is exactly the box of the outline (tests hold the
// two together). False for other paths.
bool AxisParallelBox(const Point* p, std::size_t n, std::int32_t width, int pathtype, std::int32_t bgnextn,
                     std::int32_t endextn, Box& box) {
  if (n < 2 || (pathtype == 1 && width < 0)) return false;  // round ends drawn back in: traced
  const std::int64_t w = std::llabs(std::int64_t{width});
  const std::int64_t r = (w + 1) / 2;  // half the width, rounded away from zero
  std::int64_t e0 = 0, e1 = 0;
  if (pathtype == 1 || pathtype == 2) e0 = e1 = std::int64_t{width} / 2;
  if (pathtype == 4) {
    e0 = bgnextn;
    e1 = endextn;
  }
  std::int64_t x0 = INT64_MAX, x1 = INT64_MIN, y0 = INT64_MAX, y1 = INT64_MIN;
  // The run from `a` to `b` in direction (dx, dy), extended by `before` and `after`: along
  // the run from its extended ends, across it the half width to either side.
  auto run = [&](const Point& a, const Point& b, int dx, int dy, std::int64_t before, std::int64_t after) {
    if (dy == 0) {
      const std::int64_t from = a.x - dx * before, to = b.x + dx * after;
      x0 = std::min({x0, from, to});
      x1 = std::max({x1, from, to});
      y0 = std::min(y0, a.y - r);
      y1 = std::max(y1, a.y + r);
    } else {
      const std::int64_t from = a.y - dy * before, to = b.y + dy * after;
      y0 = std::min({y0, from, to});
      y1 = std::max({y1, from, to});
      x0 = std::min(x0, a.x - r);
      x1 = std::max(x1, a.x + r);
    }
  };
  Point start = p[0], end = p[0];
  int dx = 0, dy = 0;
  bool first = true;
  for (std::size_t i = 1; i < n; ++i) {
    const Point& c = p[i];
    if (c == end) continue;
    if (c.x != end.x && c.y != end.y) return false;
    const int cx = (c.x > end.x) - (c.x < end.x), cy = (c.y > end.y) - (c.y < end.y);
    if (dx == 0 && dy == 0) {
      dx = cx;
      dy = cy;
    } else if (cx != dx || cy != dy) {
      run(start, end, dx, dy, first ? e0 : r, r);
      first = false;
      start = end;
      dx = cx;
      dy = cy;
    }
    end = c;
  }
  if (dx == 0 && dy == 0) return false;  // a single point
  run(start, end, dx, dy, first ? e0 : r, e1);
  box.Add(double(x0), double(y0));
  box.Add(double(x1), double(y1));
  return true;
}

}  // namespace

Box PathBox(const Point* pts, std::size_t n, std::int32_t width, int pathtype, std::int32_t bgnextn,
            std::int32_t endextn) {
  // The box of exactly the outline that unfolding writes (degenerate for a path without
  // area), so that extents and boundaries agree. Buffers are kept between calls: the scanner
  // calls this for every path.
  Box box;
  if (n == 0 || AxisParallelBox(pts, n, width, pathtype, bgnextn, endextn, box)) return box;
  thread_local std::vector<WidePoint> outline;
  thread_local std::vector<Point> scratch;
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
