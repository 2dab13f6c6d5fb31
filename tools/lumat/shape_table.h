// What one structure draws by itself: its shapes reduced to polygons, lines and labels, in
// small spatial blocks so that a view touches only the blocks it can see. References are not
// here; the layout summary holds them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gds/geometry.h"
#include "gds/path_outline.h"
#include "lumat/layer_table.h"

namespace korvex::lumat {

enum class ShapeKind : std::uint8_t {
  kPolygon,  // boundaries, boxes
  kRect,     // a polygon that is an upright rectangle: its box says it all
  kPath,     // a centre line with width; its outline is made only when drawn large
  kLine,     // paths without width, nodes
  kText,
};

struct IntBox {
  std::int32_t min_x = 0, min_y = 0, max_x = 0, max_y = 0;
};

struct Shape {
  IntBox box;
  std::uint32_t slot = 0;   // LayerTable slot
  std::uint32_t count = 0;  // points (polygon, line)
  std::uint64_t first = 0;  // into ShapeTable::points, or ::labels for a text, ::paths for a path
  ShapeKind kind = ShapeKind::kPolygon;
};

struct Label {
  gds::Point anchor;
  std::string text;
};

struct PathLine {
  std::uint64_t first = 0;  // centre line points in ShapeTable::points
  std::uint32_t count = 0;
  gds::PathShape shape;
};

struct ShapeBlock {
  IntBox box;
  std::uint32_t first = 0;  // into ShapeTable::shapes
  std::uint32_t count = 0;
};

struct ShapeTable {
  std::vector<Shape> shapes;  // grouped by block
  std::vector<ShapeBlock> blocks;
  std::vector<gds::Point> points;
  std::vector<Label> labels;
  std::vector<PathLine> paths;
};

// Reads the structure whose BGNSTR is at `offset` of the stream in `data`. Pairs missing from
// `layers` are left out. Returns null when `cancelled` (asked now and then; may be empty)
// says so on the way, so that a half-read structure is never kept. `expected_shapes`, when
// known (the summary counts the elements), saves growing the table step by step.
std::unique_ptr<ShapeTable> ReadShapeTable(const std::uint8_t* data, std::size_t size, std::uint64_t offset,
                                           const LayerTable& layers, const std::function<bool()>& cancelled,
                                           std::size_t expected_shapes = 0);

// Sorts the shapes into blocks of nearby shapes (done by ReadShapeTable; public for tables
// made by hand).
void BuildBlocks(ShapeTable& table);

}  // namespace korvex::lumat
