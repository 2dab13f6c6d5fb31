#include "gds/polygon.h"

#include <cmath>

namespace korvex::gds {

std::size_t VertexCount(const Point* points, std::size_t count) {
  if (count >= 2 && points[0] == points[count - 1]) return count - 1;
  return count;
}

double PolygonArea(const Point* points, std::size_t count) {
  const std::size_t n = VertexCount(points, count);
  if (n < 3) return 0.0;
  // Relative to the first point, so that large coordinates keep their precision.
  const double x0 = points[0].x, y0 = points[0].y;
  double twice = 0.0;
  for (std::size_t i = 1; i + 1 < n; ++i) {
    const double ax = points[i].x - x0, ay = points[i].y - y0;
    const double bx = points[i + 1].x - x0, by = points[i + 1].y - y0;
    twice += ax * by - bx * ay;
  }
  return std::fabs(twice) / 2.0;
}

Box PointsBox(const Point* points, std::size_t count) {
  Box box;
  for (std::size_t i = 0; i < count; ++i) box.Add(points[i].x, points[i].y);
  return box;
}

}  // namespace korvex::gds
