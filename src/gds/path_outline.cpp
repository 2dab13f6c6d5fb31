#include "gds/path_outline.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>

namespace korvex::gds {
namespace {

__extension__ typedef __int128 Int128;

struct Vec {
  double x = 0, y = 0;
};

// Half away from zero, relative to a grid point: offsets are rounded, then added.
WidePoint At(const Point& p, double vx, double vy) {
  return {p.x + static_cast<std::int64_t>(std::llround(vx)), p.y + static_cast<std::int64_t>(std::llround(vy))};
}

// Interior points that lie less than half a unit beside the line from the last kept point to
// the next one (and between them) are dropped, like repeated points: they only add rounding
// noise. A point that turns the path back is always kept.
void KeyPoints(const Point* pts, std::size_t n, std::vector<Point>& out) {
  out.clear();
  for (std::size_t i = 0; i < n; ++i)
    if (out.empty() || !(out.back() == pts[i])) out.push_back(pts[i]);
  if (out.size() < 3) return;
  std::size_t kept = 1;
  for (std::size_t i = 1; i + 1 < out.size(); ++i) {
    const Point a = out[kept - 1], b = out[i], c = out[i + 1];
    const std::int64_t vx = std::int64_t{c.x} - a.x, vy = std::int64_t{c.y} - a.y;
    const std::int64_t wx = std::int64_t{b.x} - a.x, wy = std::int64_t{b.y} - a.y;
    const Int128 l2 = Int128{vx} * vx + Int128{vy} * vy;
    const Int128 dot = Int128{vx} * wx + Int128{vy} * wy;
    Int128 cross = Int128{vx} * wy - Int128{vy} * wx;
    if (cross < 0) cross = -cross;
    // 2 * cross < |v|, squared; a cross beyond 2^40 is far from that and would overflow.
    const bool beside = l2 > 0 && dot > 0 && dot < l2 && cross < (Int128{1} << 40) && 4 * cross * cross < l2;
    if (!beside) out[kept++] = b;
  }
  out[kept++] = out.back();
  out.resize(kept);
}

// Axis-parallel and diagonal segments get offsets rounded to the grid before anything is
// built on them; other directions keep exact offsets.
bool GridDirection(std::int64_t dx, std::int64_t dy) { return dx == 0 || dy == 0 || std::llabs(dx) == std::llabs(dy); }

struct Segment {
  std::int64_t dx = 0, dy = 0;  // the step between its points
  Vec d;         // unit direction
  Vec o;         // left offset: the left normal times the half width, rounded for grid directions
  double length = 0;
  bool grid = false;
};

class Tracer {
 public:
  Tracer(const std::vector<Point>& p, const PathShape& shape, std::vector<WidePoint>& out,
         std::vector<Segment>& segments, std::vector<WidePoint>& side)
      : p_(p), out_(out), side_(side), seg_(segments), h_(std::fabs(static_cast<double>(shape.width)) / 2.0) {
    seg_.clear();
    const int type = shape.pathtype;
    round_ = type == 1;
    // Whole units, of the signed width: a negative (absolute) width draws the ends back in, as
    // KLayout reads it.
    const double half = static_cast<double>(std::int64_t{shape.width} / 2);
    if (type == 1 || type == 2) e0_ = e1_ = half;
    if (type == 4) {
      e0_ = shape.bgnextn;
      e1_ = shape.endextn;
    }
    if (p_.size() == 1) {  // no direction: taken along x
      seg_.push_back(Make(1, 0, 0));
    } else {
      for (std::size_t i = 0; i + 1 < p_.size(); ++i) {
        const std::int64_t dx = std::int64_t{p_[i + 1].x} - p_[i].x, dy = std::int64_t{p_[i + 1].y} - p_[i].y;
        seg_.push_back(Make(dx, dy, std::hypot(double(dx), double(dy))));
      }
    }
  }

  void Run() {
    out_.clear();
    // A round dot has no direction to put on the grid: its circle takes the exact half width.
    const bool dot = p_.size() == 1;
    Side(1, false);
    if (round_) Cap(p_.back(), seg_.back().d, seg_.back().grid && !dot, e1_);
    Side(-1, true);
    if (round_) Cap(p_.front(), Vec{-seg_.front().d.x, -seg_.front().d.y}, seg_.front().grid && !dot, e0_);
  }

 private:
  Segment Make(std::int64_t dx, std::int64_t dy, double length) const {
    Segment s;
    s.dx = dx;
    s.dy = dy;
    s.grid = GridDirection(dx, dy);
    s.length = length;
    s.d = length > 0 ? Vec{double(dx) / length, double(dy) / length} : Vec{1, 0};
    const Vec n{-s.d.y, s.d.x};
    s.o = s.grid ? Vec{std::round(n.x * h_), std::round(n.y * h_)} : Vec{n.x * h_, n.y * h_};
    return s;
  }

  // The corner of segment `s` on side `sign`, `e` along its direction from `p`.
  void Corner(const Point& p, const Segment& s, double sign, double e) {
    side_.push_back(At(p, sign * s.o.x + s.d.x * e, sign * s.o.y + s.d.y * e));
  }

  // One side; `sign` 1 for the left, -1 for the right. The right side is written backwards.
  void Side(double sign, bool backwards) {
    side_.clear();
    const std::size_t n = p_.size();
    if (!round_) Corner(p_.front(), seg_.front(), sign, -e0_);
    for (std::size_t i = 1; i + 1 < n; ++i) Join(p_[i], seg_[i - 1], seg_[i], sign);
    if (!round_) Corner(p_.back(), seg_.back(), sign, e1_);
    if (backwards) out_.insert(out_.end(), side_.rbegin(), side_.rend());
    else out_.insert(out_.end(), side_.begin(), side_.end());
  }

  // The joint at `p` between segments `s1` and `s2`, on one side: where their offset lines
  // meet when that is near; at a sharp outer turn each line ends half a width past the point;
  // on the inner side of a turn whose lines meet too far back, the outline passes through the
  // point itself (GDSII leaves such joins open; this is the reading other tools share).
  void Join(const Point& p, const Segment& s1, const Segment& s2, double sign) {
    const Vec a = s1.d, b = s2.d;
    const Vec o1{sign * s1.o.x, sign * s1.o.y}, o2{sign * s2.o.x, sign * s2.o.y};
    const double c = a.x * b.x + a.y * b.y;
    // A turn straight back off the axes leaves a rounding residue in the unit vectors' cross
    // product: whether the segments are parallel is decided on the whole-number steps.
    const bool parallel = Int128{s1.dx} * s2.dy == Int128{s1.dy} * s2.dx;
    const double cr = parallel ? 0.0 : a.x * b.y - a.y * b.x;
    const bool inner = cr * sign > 0 || (cr == 0 && c > 0);
    auto through = [&](bool with_point) {
      side_.push_back(At(p, o1.x, o1.y));
      if (with_point) side_.push_back({p.x, p.y});
      side_.push_back(At(p, o2.x, o2.y));
    };
    if (cr == 0) {  // a turn straight back
      if (inner) {
        through(true);
      } else {
        Corner(p, s1, sign, h_);
        Corner(p, s2, sign, -h_);
      }
      return;
    }
    // o1 + a*s and o2 + b*t: the same point.
    const double dx = o2.x - o1.x, dy = o2.y - o1.y;
    const double s = (dx * b.y - dy * b.x) / cr, t = (dx * a.y - dy * a.x) / cr;
    const WidePoint meet = At(p, o1.x + a.x * s, o1.y + a.y * s);
    if (!inner) {
      if (s < 0 || t > 0) {  // rounded offsets crossed the wrong way round: no corner
        through(false);
        return;
      }
      if (s <= h_) side_.push_back(meet);
      else Corner(p, s1, sign, h_);
      if (-t <= h_) side_.push_back(meet);
      else Corner(p, s2, sign, -h_);
      return;
    }
    if (s > 0 || t < 0) {
      through(false);
      return;
    }
    // How far back the lines meet, from the exact geometry: h * tan(turn / 2).
    const double back = h_ * std::fabs(cr) / (1 + c);
    if (back <= std::min(s1.length, s2.length) + h_) side_.push_back(meet);
    else through(true);
  }

  // Half of the circumscribed polygon around `c`, facing `d`: `e` along, the half width across
  // (the rounded offset's length on grid directions).
  void Cap(const Point& c, const Vec& d, bool grid, double e) {
    static const std::array<std::array<double, 2>, kRoundEndSegments / 2> kCosSin = [] {
      std::array<std::array<double, 2>, kRoundEndSegments / 2> t{};
      for (int k = 0; k < kRoundEndSegments / 2; ++k) {
        const double degrees = -90.0 + 180.0 / kRoundEndSegments + 360.0 / kRoundEndSegments * k;
        const double a = degrees * (M_PI / 180.0);
        t[std::size_t(k)] = {std::cos(a), std::sin(a)};
      }
      return t;
    }();
    static const double kScale = 1.0 / std::cos(M_PI / kRoundEndSegments);
    const Vec n{-d.y, d.x};
    double across = h_;
    if (grid) across = std::hypot(std::round(n.x * h_), std::round(n.y * h_));
    for (std::size_t k = kCosSin.size(); k-- > 0;) {
      const double u = e * kCosSin[k][0] * kScale, v = across * kCosSin[k][1] * kScale;
      out_.push_back(At(c, d.x * u + n.x * v, d.y * u + n.y * v));
    }
  }

  const std::vector<Point>& p_;
  std::vector<WidePoint>& out_;
  std::vector<WidePoint>& side_;
  std::vector<Segment>& seg_;
  double h_;
  double e0_ = 0, e1_ = 0;
  bool round_ = false;
};

bool Collinear(const std::vector<WidePoint>& pts) {
  std::size_t j = 1;
  while (j < pts.size() && pts[j] == pts[0]) ++j;
  if (j == pts.size()) return true;
  const Int128 ux = pts[j].x - pts[0].x, uy = pts[j].y - pts[0].y;
  for (std::size_t i = j + 1; i < pts.size(); ++i)
    if (ux * (pts[i].y - pts[0].y) - uy * (pts[i].x - pts[0].x) != 0) return false;
  return true;
}

bool Fits(std::int64_t v) {
  return v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max();
}

}  // namespace

PathShape PathShapeOf(const Element& e) {
  return {e.width.value_or(0), e.pathtype.value_or(0), e.bgnextn.value_or(0), e.endextn.value_or(0)};
}

void BecomeBoundary(Element& e, std::vector<Point>& outline) {
  e.kind = ElementKind::kBoundary;
  e.pathtype.reset();
  e.width.reset();
  e.bgnextn.reset();
  e.endextn.reset();
  e.xy.swap(outline);
}

void TracePathOutline(const Point* points, std::size_t count, const PathShape& shape,
                      std::vector<WidePoint>& outline, std::vector<Point>& scratch) {
  KeyPoints(points, count, scratch);
  if (scratch.empty()) {
    outline.clear();
    return;
  }
  // Kept between calls: the scanner traces every path of a layout.
  thread_local std::vector<Segment> segments;
  thread_local std::vector<WidePoint> side;
  Tracer(scratch, shape, outline, segments, side).Run();
}

namespace {

// The traced outline of `points`, each of its points moved by `place`, as a boundary (see
// BuildPathOutline()).
template <typename Place>
OutlineFault Outline(const std::vector<Point>& points, const PathShape& shape, Place place,
                     std::vector<Point>& outline, std::string& why) {
  outline.clear();
  if (shape.width == 0) {
    why = "zero-width path";
    return OutlineFault::kNoArea;
  }
  if (points.empty()) {
    why = "path without points";
    return OutlineFault::kNoArea;
  }
  std::vector<WidePoint> wide;
  std::vector<Point> scratch;
  TracePathOutline(points.data(), points.size(), shape, wide, scratch);
  if (Collinear(wide)) {
    why = scratch.size() == 1 ? "single-point path with flush ends" : "path outline without area";
    return OutlineFault::kNoArea;
  }
  for (const WidePoint& traced : wide) {
    const WidePoint q = place(traced);
    if (!Fits(q.x) || !Fits(q.y)) {
      why = "its outline reaches " + (Fits(q.x) ? "y = " + std::to_string(q.y) : "x = " + std::to_string(q.x)) +
            ", outside the 32-bit range";
      outline.clear();
      return OutlineFault::kOutOfRange;
    }
    const Point p{static_cast<std::int32_t>(q.x), static_cast<std::int32_t>(q.y)};
    if (outline.empty() || !(outline.back() == p)) outline.push_back(p);
  }
  if (outline.size() > 1 && outline.front() == outline.back()) outline.pop_back();
  // Rounding after the move may fold a thin outline onto a line.
  if (outline.size() < 3) {
    outline.clear();
    why = "placed path outline without area";
    return OutlineFault::kNoArea;
  }
  outline.push_back(outline.front());
  return OutlineFault::kNone;
}

}  // namespace

OutlineFault BuildPathOutline(const std::vector<Point>& points, const PathShape& shape, std::vector<Point>& outline,
                              std::string& why) {
  return Outline(points, shape, [](const WidePoint& q) { return q; }, outline, why);
}

OutlineFault PlacedPathOutline(const std::vector<Point>& points, const PathShape& shape, const FlatTransform& t,
                               std::vector<Point>& outline, std::string& why) {
  return Outline(
      points, shape,
      [&t](const WidePoint& q) {
        double x, y;
        t.Apply(static_cast<double>(q.x), static_cast<double>(q.y), x, y);
        // Far outside the range: any value outside it names the coordinate well enough.
        constexpr double kFar = 9e18;
        return WidePoint{static_cast<std::int64_t>(std::clamp(std::round(x), -kFar, kFar)),
                         static_cast<std::int64_t>(std::clamp(std::round(y), -kFar, kFar))};
      },
      outline, why);
}

bool OnePoint(const std::vector<Point>& points) {
  return std::adjacent_find(points.begin(), points.end(), std::not_equal_to<Point>()) == points.end();
}

bool PlacementKeepsOutline(const std::vector<Point>& points, const FlatTransform& t) {
  if (t.mag != 1.0 || !IsQuarterTurn(t.angle)) return false;
  return PlacementKeepsOutline(OnePoint(points), t);
}

bool PlacementKeepsOutline(bool one_point, const FlatTransform& t) {
  return t.mag == 1.0 && IsQuarterTurn(t.angle) && (t.cos == 1.0 || !one_point);
}

bool PathOutline(const std::vector<Point>& points, const PathShape& shape, std::vector<Point>& outline,
                 std::string& why) {
  return BuildPathOutline(points, shape, outline, why) == OutlineFault::kNone;
}

}  // namespace korvex::gds
