// Points, boxes and reference transforms in database units.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

namespace korvex::gds {

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool operator==(const Point&) const = default;
};

// A bounding box in database units; doubles because magnified or rotated placements need not
// land on the grid. Starts empty.
struct Box {
  double min_x = std::numeric_limits<double>::infinity();
  double min_y = std::numeric_limits<double>::infinity();
  double max_x = -std::numeric_limits<double>::infinity();
  double max_y = -std::numeric_limits<double>::infinity();

  bool empty() const { return min_x > max_x; }
  void Add(double x, double y) {
    min_x = std::min(min_x, x);
    min_y = std::min(min_y, y);
    max_x = std::max(max_x, x);
    max_y = std::max(max_y, y);
  }
  void Add(const Box& b) {
    if (b.empty()) return;
    Add(b.min_x, b.min_y);
    Add(b.max_x, b.max_y);
  }
  bool operator==(const Box&) const = default;
};

// Placement of a child: reflect about X, magnify, rotate counter-clockwise, translate.
struct Transform {
  bool reflect = false;
  double mag = 1.0;
  double angle = 0.0;  // degrees
  double dx = 0.0;
  double dy = 0.0;
};

// True for an angle within 1e-9 degrees of a multiple of 90: such a turn maps boxes to boxes.
bool IsQuarterTurn(double degrees);

// The box of the four transformed corners of `b`: exact for quarter turns, and for other
// angles a box that holds the placed geometry but may stick out past it (see StructureHulls).
Box TransformBox(const Box& b, const Transform& t);

// The box of the outline that PathOutline() gives (see path_outline.h), also for a path
// without area; exact beyond the 32-bit range. `pathtype` 0, 1, 2 or 4 (others as 0),
// `width` in dbu (its magnitude is used), extensions for type 4.
Box PathBox(const Point* points, std::size_t count, std::int32_t width, int pathtype,
            std::int32_t bgnextn, std::int32_t endextn);

}  // namespace korvex::gds
