// How many times each structure of a tree is placed when the tree is flattened: what makes a
// child worth keeping in memory.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "gds/layout_summary.h"

namespace korvex::engine {

class PlacementCounter {
 public:
  explicit PlacementCounter(const gds::LayoutSummary& summary);

  // Counts the placements in the tree of `top` (itself once), saturating, and returns the
  // structures of that tree, parents before children. A reference that closes a cycle adds
  // nothing (flattening cuts it). Takes time in the size of that tree only, so that trees
  // counted one after the other stay linear.
  const std::vector<std::uint32_t>& Count(std::uint32_t top);
  // Of the tree last counted (0 outside it).
  std::uint64_t placements(std::uint32_t s) const { return placements_[s]; }

 private:
  const gds::LayoutSummary& summary_;
  std::vector<std::uint64_t> placements_;
  std::vector<std::uint32_t> position_;  // in `order_`, plus one (0: not in the tree)
  std::vector<std::uint32_t> order_;
  std::vector<std::pair<std::uint32_t, std::size_t>> walk_;  // structure, next reference
};

}  // namespace korvex::engine
