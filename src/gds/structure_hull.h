// The convex hull of each structure's flattened geometry, made on demand from the stream: what
// bounds a structure exactly when it is placed at an angle that is not a multiple of 90
// degrees (its box turned would stick out past the corners of the geometry).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gds/convex_hull.h"
#include "gds/layout_summary.h"

namespace korvex::gds {

class StructureHulls {
 public:
  // `summary` must be the one Summarize() gave for these bytes; both must outlive this.
  StructureHulls(const LayoutSummary& summary, const std::uint8_t* data, std::size_t size);

  // The hull of everything in the tree of structure `index`, in its own coordinates: the
  // vertices of boundaries, boxes and nodes, path outlines, text anchors, and the hulls of its
  // children as placed (an array by its corner instances). Each structure is read from the
  // stream once, when first asked for; a reference that closes a cycle is left out.
  const std::vector<HullPoint>& Of(std::uint32_t index);

  // The box of the child's geometry as `r` places it, every instance of an array included.
  Box Placed(const Reference& r);

 private:
  void Build(std::uint32_t index);

  const LayoutSummary& summary_;
  const std::uint8_t* data_;
  std::size_t size_;
  std::vector<std::uint8_t> state_;  // 0 not made, 1 being made, 2 made
  std::vector<std::vector<HullPoint>> hulls_;
};

}  // namespace korvex::gds
