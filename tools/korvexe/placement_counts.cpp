#include "korvexe/placement_counts.h"

#include <algorithm>
#include <utility>

#include "korvexe/tree_walk.h"

namespace korvex::engine {

PlacementCounter::PlacementCounter(const gds::LayoutSummary& summary)
    : summary_(summary), placements_(summary.structures.size(), 0), position_(summary.structures.size(), 0) {}

const std::vector<std::uint32_t>& PlacementCounter::Count(std::uint32_t top) {
  for (std::uint32_t s : order_) {
    placements_[s] = 0;
    position_[s] = 0;
  }
  order_.clear();
  // Children before parents, then reversed. `position_` marks a structure met; a child met before
  // its walk ended is on the walk (a cycle) or done.
  WalkChildrenFirst(
      summary_, top, walk_,
      [this](std::uint32_t s) { return std::exchange(position_[s], 1u) == 0; },
      [this](std::uint32_t s) { order_.push_back(s); });
  std::reverse(order_.begin(), order_.end());
  for (std::size_t i = 0; i < order_.size(); ++i) position_[order_[i]] = static_cast<std::uint32_t>(i + 1);
  placements_[top] = 1;
  for (std::uint32_t s : order_) {
    const gds::StructureSummary& summary = summary_.structures[s];
    for (std::size_t i = 0; i < summary.reference_count; ++i) {
      const gds::Reference& r = summary_.references[summary.first_reference + i];
      // Only forward in the order: a reference back up the tree closes a cycle.
      if (position_[r.child] <= position_[s]) continue;
      placements_[r.child] =
          SaturatingAdd(placements_[r.child], SaturatingMul(placements_[s], std::uint64_t{r.columns} * r.rows));
    }
  }
  return order_;
}

}  // namespace korvex::engine
