// Measures of a closed outline given as points (a boundary's XY, the first point repeated at
// the end or not).
#pragma once

#include <cstddef>

#include "gds/geometry.h"

namespace korvex::gds {

// The points that make the outline: the repeated closing point is not counted.
std::size_t VertexCount(const Point* points, std::size_t count);

// The enclosed area in square database units (the absolute value of the shoelace sum; a
// self-crossing outline gives the sum of its lobes with their signs).
double PolygonArea(const Point* points, std::size_t count);

// The box of the points (empty for none).
Box PointsBox(const Point* points, std::size_t count);

}  // namespace korvex::gds
