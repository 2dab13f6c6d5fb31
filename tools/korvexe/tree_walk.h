// Walking a tree of structures children first, and counting over it in 64 bits that stop at
// the top instead of wrapping: what the flattening estimate and the placement counts share.
#pragma once

#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "gds/layout_summary.h"

namespace korvex::engine {

constexpr std::uint64_t kSaturated = std::numeric_limits<std::uint64_t>::max();

inline std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) { return a > kSaturated - b ? kSaturated : a + b; }
inline std::uint64_t SaturatingMul(std::uint64_t a, std::uint64_t b) {
  return b != 0 && a > kSaturated / b ? kSaturated : a * b;
}

// Calls `done(s)` for every structure under `root` (itself included), children before parents,
// depth first without recursion: chains may be 100,000 levels deep. `meet(s)` is asked before a
// structure is entered and says whether it is met for the first time (marking it met); a child
// met before, or not defined, is not entered again, so a cycle is walked once. `walk` is scratch
// space the caller may keep between walks.
template <class Meet, class Done>
void WalkChildrenFirst(const gds::LayoutSummary& summary, std::uint32_t root,
                       std::vector<std::pair<std::uint32_t, std::size_t>>& walk, Meet&& meet, Done&& done) {
  walk.clear();
  if (meet(root)) walk.emplace_back(root, 0);
  while (!walk.empty()) {
    auto& [s, next] = walk.back();
    const gds::StructureSummary& structure = summary.structures[s];
    if (next < structure.reference_count) {
      const std::uint32_t child = summary.references[structure.first_reference + next++].child;
      if (summary.structures[child].defined && meet(child)) walk.emplace_back(child, 0);
      continue;
    }
    const std::uint32_t finished = s;
    walk.pop_back();
    done(finished);
  }
}

}  // namespace korvex::engine
