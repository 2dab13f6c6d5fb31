// Resolves the references of a LayoutSummary: extents through the whole tree (each structure
// once, memoised), undefined names, reference cycles and the structures nobody references.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "gds/geometry.h"
#include "gds/layout_summary.h"

namespace korvex::gds {

struct Hierarchy {
  // Per entry of LayoutSummary::structures: the extents of its whole tree (empty when there
  // is nothing in it, and for undefined names).
  std::vector<Box> extents;
  // Per entry: referenced by at least one defined structure.
  std::vector<bool> referenced;
  // Names referenced but never defined (indices into structures), in order of first use.
  std::vector<std::uint32_t> undefined;
  // Each cycle found, as the chain of structures from the one referenced again to the one
  // that references it (A, B for A -> B -> A). At most `kMaxCycles` are kept.
  std::vector<std::vector<std::uint32_t>> cycles;
  std::uint64_t cycle_count = 0;
  // Depth of each structure's tree (0 for a structure without references), back edges ignored.
  std::vector<std::uint32_t> depth;

  static constexpr std::size_t kMaxCycles = 20;
};

// The distinct children of structure `index`, in order of their first reference.
std::vector<std::uint32_t> DistinctChildren(const LayoutSummary& summary, std::uint32_t index);

// The distinct children of every entry of summary.structures (none for undefined names), all
// in one array.
class ChildLists {
 public:
  std::span<const std::uint32_t> operator[](std::uint32_t index) const {
    return {children_.data() + starts_[index], starts_[index + 1] - starts_[index]};
  }

 private:
  friend ChildLists AllDistinctChildren(const LayoutSummary& summary);
  std::vector<std::size_t> starts_;  // per entry, and the end
  std::vector<std::uint32_t> children_;
};
// In time linear in the number of references.
ChildLists AllDistinctChildren(const LayoutSummary& summary);

// With the bytes the summary was read from, every extent is the exact box of the flattened
// geometry: a placement at an angle that is not a multiple of 90 degrees is bounded through
// the convex hull of its child (StructureHulls), made only for the trees placed that way.
// Without them such a placement adds its child's box turned, which may stick out.
Hierarchy ResolveHierarchy(const LayoutSummary& summary, const std::uint8_t* data, std::size_t size);
Hierarchy ResolveHierarchy(const LayoutSummary& summary);

// The placement of array instance (column, row) of `r` (instance 0, 0 for a single reference).
Transform PlacementOf(const Reference& r, int column, int row);

// The placements of the instances of `r` that bound all the others: the four corners of an
// array (the lattice is affine), or the one instance of a single reference. Returns how many.
int CornerPlacements(const Reference& r, Transform out[4]);

}  // namespace korvex::gds
