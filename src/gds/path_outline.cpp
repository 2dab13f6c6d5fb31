#include "gds/path_outline.h"

#include <cmath>

namespace korvex::gds {
namespace {

struct Vec {
  double x = 0, y = 0;
};

Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
Vec operator*(Vec a, double s) { return {a.x * s, a.y * s}; }
double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }

// Beyond this turn the mitre of a joint would reach more than about 4.5 half widths out.
constexpr double kBevelBelowCos = -0.9;

class OutlineBuilder {
 public:
  explicit OutlineBuilder(std::vector<Point>& out) : out_(out) { out_.clear(); }
  void Add(Vec p) {
    const Point q{static_cast<std::int32_t>(std::llround(p.x)), static_cast<std::int32_t>(std::llround(p.y))};
    if (out_.empty() || !(out_.back() == q)) out_.push_back(q);
  }
  // Half a circle of radius r around `c`, from direction `from` turning clockwise to -from.
  void HalfCircle(Vec c, Vec from, double r) {
    const int steps = kRoundEndSegments / 2;
    const double start = std::atan2(from.y, from.x);
    for (int i = 0; i <= steps; ++i) {
      const double a = start - M_PI * i / steps;
      Add(c + Vec{std::cos(a), std::sin(a)} * r);
    }
  }
  void Close() {
    if (out_.size() > 1 && out_.front() == out_.back()) out_.pop_back();
    if (!out_.empty()) out_.push_back(out_.front());
  }

 private:
  std::vector<Point>& out_;
};

// One side of the path, offset by `h` along each segment's left normal (h < 0: the right side).
void Side(const std::vector<Vec>& p, const std::vector<Vec>& dir, double h, double e0, double e1, bool reverse,
          OutlineBuilder& out) {
  const std::size_t n = p.size();
  auto normal = [&](std::size_t seg) { return Vec{-dir[seg].y, dir[seg].x}; };
  std::vector<Vec> pts;
  pts.push_back(p[0] - dir[0] * e0 + normal(0) * h);
  for (std::size_t i = 1; i + 1 < n; ++i) {
    const Vec n1 = normal(i - 1), n2 = normal(i);
    const double c = Dot(n1, n2);
    if (c < kBevelBelowCos) {
      pts.push_back(p[i] + n1 * h);
      pts.push_back(p[i] + n2 * h);
    } else {
      pts.push_back(p[i] + (n1 + n2) * (h / (1.0 + c)));
    }
  }
  pts.push_back(p[n - 1] + dir[n - 2] * e1 + normal(n - 2) * h);
  if (reverse) {
    for (std::size_t i = pts.size(); i-- > 0;) out.Add(pts[i]);
  } else {
    for (const Vec& v : pts) out.Add(v);
  }
}

}  // namespace

bool PathOutline(const std::vector<Point>& points, const PathShape& shape, std::vector<Point>& outline,
                 std::string& why) {
  outline.clear();
  const double h = std::fabs(static_cast<double>(shape.width)) / 2.0;
  if (h == 0) {
    why = "zero-width path";
    return false;
  }
  const int type = (shape.pathtype == 1 || shape.pathtype == 2 || shape.pathtype == 4) ? shape.pathtype : 0;
  // Distinct consecutive points, and the direction of each segment.
  std::vector<Vec> p;
  for (const Point& q : points) {
    const Vec v{double(q.x), double(q.y)};
    if (p.empty() || v.x != p.back().x || v.y != p.back().y) p.push_back(v);
  }
  if (p.empty()) {
    why = "path without points";
    return false;
  }
  double e0 = 0, e1 = 0;
  if (type == 2) e0 = e1 = h;
  if (type == 4) {
    e0 = shape.bgnextn;
    e1 = shape.endextn;
  }
  OutlineBuilder out(outline);
  if (p.size() == 1) {
    // No direction: taken along x, as a square (types 2 and 4), a circle (type 1) or nothing.
    if (type == 0 || (type == 4 && e0 + e1 <= 0)) {
      why = "single-point path with flush ends";
      return false;
    }
    if (type == 1) {
      out.HalfCircle(p[0], {0, 1}, h);
      out.HalfCircle(p[0], {0, -1}, h);
    } else {
      out.Add(p[0] + Vec{-e0, -h});
      out.Add(p[0] + Vec{e1, -h});
      out.Add(p[0] + Vec{e1, h});
      out.Add(p[0] + Vec{-e0, h});
    }
    out.Close();
    return true;
  }
  std::vector<Vec> dir;
  for (std::size_t i = 0; i + 1 < p.size(); ++i) {
    const Vec d = p[i + 1] - p[i];
    dir.push_back(d * (1.0 / std::hypot(d.x, d.y)));
  }
  // Left side forwards, the end cap, the right side backwards, the start cap.
  Side(p, dir, h, e0, e1, false, out);
  if (type == 1) out.HalfCircle(p.back(), Vec{-dir.back().y, dir.back().x}, h);
  Side(p, dir, -h, e0, e1, true, out);
  if (type == 1) out.HalfCircle(p.front(), Vec{dir.front().y, -dir.front().x}, h);
  out.Close();
  if (outline.size() < 4) {
    why = "path outline without area";
    outline.clear();
    return false;
  }
  return true;
}

}  // namespace korvex::gds
