#include "korvexe/placement_counts.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace korvex::engine {
namespace {

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

std::uint64_t Add(std::uint64_t a, std::uint64_t b) { return a > kMax - b ? kMax : a + b; }
std::uint64_t Mul(std::uint64_t a, std::uint64_t b) { return b != 0 && a > kMax / b ? kMax : a * b; }

}  // namespace

PlacementCounter::PlacementCounter(const gds::LayoutSummary& summary)
    : summary_(summary), placements_(summary.structures.size(), 0), position_(summary.structures.size(), 0) {}

const std::vector<std::uint32_t>& PlacementCounter::Count(std::uint32_t top) {
  for (std::uint32_t s : order_) {
    placements_[s] = 0;
    position_[s] = 0;
  }
  order_.clear();
  // Children before parents (depth first, without recursion: chains may be very deep), then
  // reversed. `position_` marks a structure met; a child met before its walk ended is on the
  // walk (a cycle) or done.
  std::vector<std::pair<std::uint32_t, std::size_t>>& walk = walk_;
  walk.clear();
  position_[top] = 1;
  walk.emplace_back(top, 0);
  while (!walk.empty()) {
    auto& [s, next] = walk.back();
    const gds::StructureSummary& summary = summary_.structures[s];
    if (next < summary.reference_count) {
      const std::uint32_t child = summary_.references[summary.first_reference + next++].child;
      if (position_[child] == 0 && summary_.structures[child].defined) {
        position_[child] = 1;
        walk.emplace_back(child, 0);
      }
      continue;
    }
    order_.push_back(s);
    walk.pop_back();
  }
  std::reverse(order_.begin(), order_.end());
  for (std::size_t i = 0; i < order_.size(); ++i) position_[order_[i]] = static_cast<std::uint32_t>(i + 1);
  placements_[top] = 1;
  for (std::uint32_t s : order_) {
    const gds::StructureSummary& summary = summary_.structures[s];
    for (std::size_t i = 0; i < summary.reference_count; ++i) {
      const gds::Reference& r = summary_.references[summary.first_reference + i];
      // Only forward in the order: a reference back up the tree closes a cycle.
      if (position_[r.child] <= position_[s]) continue;
      placements_[r.child] = Add(placements_[r.child], Mul(placements_[s], std::uint64_t{r.columns} * r.rows));
    }
  }
  return order_;
}

}  // namespace korvex::engine
