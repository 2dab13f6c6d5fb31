// The outline of a path as a closed polygon: what the path covers, for turning paths into
// boundaries, for drawing them and for their extent. The rule is written down in the README's
// geometry section; it follows KLayout's reading of GDSII paths point for point, because that
// is what the other tools downstream read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gds/element.h"
#include "gds/flat_transform.h"
#include "gds/geometry.h"

namespace korvex::gds {

struct PathShape {
  std::int32_t width = 0;  // its magnitude is used (a negative width only marks it absolute)
  int pathtype = 0;        // 0 flush, 1 round, 2 half-width extension, 4 explicit extensions
  std::int32_t bgnextn = 0;
  std::int32_t endextn = 0;
};

// Points per full circle of a round end (a round end is half of such a polygon, drawn around
// the circle so that its edges touch it).
inline constexpr int kRoundEndSegments = 32;

// The records of path `e` that shape its outline, absent ones as 0.
PathShape PathShapeOf(const Element& e);

// Path `e` becomes the boundary `outline` (taken over; its path records are dropped).
void BecomeBoundary(Element& e, std::vector<Point>& outline);

// A point of an outline before it is known to fit 32 bits.
struct WidePoint {
  std::int64_t x = 0;
  std::int64_t y = 0;
  bool operator==(const WidePoint&) const = default;
};

// Traces the outline: left side forwards, end cap, right side backwards, start cap, without
// a closing point and possibly with repeated points. A path without area still gets its
// degenerate outline (the box of that is the path's extent). `scratch` is working space.
// Path types other than 0, 1, 2 and 4 are taken as 0.
void TracePathOutline(const Point* points, std::size_t count, const PathShape& shape,
                      std::vector<WidePoint>& outline, std::vector<Point>& scratch);

enum class OutlineFault : std::uint8_t { kNone, kNoArea, kOutOfRange };

// The outline as a boundary: repeated points dropped, first point repeated at the end. On a
// fault `outline` is left empty and `why` says what is wrong: the path covers no area (zero
// width, a single point with flush ends, ...) or a point of the outline lies outside the
// 32-bit range (`why` names the coordinate).
OutlineFault BuildPathOutline(const std::vector<Point>& points, const PathShape& shape, std::vector<Point>& outline,
                              std::string& why);

// The outline of the path as BuildPathOutline() gives it, each point then moved by `t` and
// rounded: exactly where the placed path's outline lies. (A path written from its moved centre
// line joins differently wherever rounding or a turn off the axes moves its points.)
OutlineFault PlacedPathOutline(const std::vector<Point>& points, const PathShape& shape, const FlatTransform& t,
                               std::vector<Point>& outline, std::string& why);

// Whether the path placed with `t` (its points moved, its widths kept) has exactly the placed
// outline, so that a flattened path may stay a path: at quarter turns, reflected or not,
// without magnification; a path of one point only unturned (its outline lies along x whatever
// the turn).
bool PlacementKeepsOutline(const std::vector<Point>& points, const FlatTransform& t);
// Whether all the points are alike (a path of one point, however often it is repeated).
bool OnePoint(const std::vector<Point>& points);
// The same for a path whose points are all alike (`one_point`) or not.
bool PlacementKeepsOutline(bool one_point, const FlatTransform& t);

// BuildPathOutline() == kNone, for callers that only draw.
bool PathOutline(const std::vector<Point>& points, const PathShape& shape, std::vector<Point>& outline,
                 std::string& why);

}  // namespace korvex::gds
