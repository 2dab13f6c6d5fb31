// The outline of a path as a closed polygon: what the path covers, for turning paths into
// boundaries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gds/geometry.h"

namespace korvex::gds {

struct PathShape {
  std::int32_t width = 0;  // its magnitude is used (a negative width only marks it absolute)
  int pathtype = 0;        // 0 flush, 1 round, 2 half-width extension, 4 explicit extensions
  std::int32_t bgnextn = 0;
  std::int32_t endextn = 0;
};

// Segments per full circle for round ends.
inline constexpr int kRoundEndSegments = 64;

// Fills `outline` with the polygon, first point repeated at the end, coordinates rounded to
// the grid. Joints are mitred, and bevelled where a sharp turn would send the mitre far out.
// Returns false with `why` set when the path covers no area (zero width, or a single point
// with flush ends); path types other than 0, 1, 2 and 4 are taken as 0.
bool PathOutline(const std::vector<Point>& points, const PathShape& shape, std::vector<Point>& outline,
                 std::string& why);

}  // namespace korvex::gds
