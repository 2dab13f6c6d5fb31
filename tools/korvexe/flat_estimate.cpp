#include "korvexe/flat_estimate.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

namespace korvex::engine {
namespace {

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

std::uint64_t Add(std::uint64_t a, std::uint64_t b) { return a > kMax - b ? kMax : a + b; }
std::uint64_t Mul(std::uint64_t a, std::uint64_t b) { return b != 0 && a > kMax / b ? kMax : a * b; }

std::uint64_t OwnShapes(const gds::StructureSummary& s) {
  // Boundaries, paths, texts, nodes and boxes: every kind but the two references.
  return s.counts[0] + s.counts[1] + s.counts[4] + s.counts[5] + s.counts[6];
}

}  // namespace

FlatEstimator::FlatEstimator(const gds::LayoutSummary& summary, double bytes_per_element)
    : summary_(summary),
      bytes_per_element_(bytes_per_element),
      elements_(summary.structures.size(), 0),
      state_(summary.structures.size(), 0) {}

FlatSize FlatEstimator::Of(std::uint32_t structure) {
  // Children before parents, without recursion: chains may be 100,000 levels deep.
  std::vector<std::pair<std::uint32_t, std::size_t>> walk;  // structure, next reference
  if (state_[structure] == 0) {
    state_[structure] = 1;
    walk.emplace_back(structure, 0);
  }
  while (!walk.empty()) {
    auto& [s, next] = walk.back();
    const gds::StructureSummary& summary = summary_.structures[s];
    if (next < summary.reference_count) {
      const gds::Reference& r = summary_.references[summary.first_reference + next++];
      if (state_[r.child] == 0 && summary_.structures[r.child].defined) {
        state_[r.child] = 1;
        walk.emplace_back(r.child, 0);
      }
      continue;
    }
    std::uint64_t total = OwnShapes(summary);
    for (std::size_t i = 0; i < summary.reference_count; ++i) {
      const gds::Reference& r = summary_.references[summary.first_reference + i];
      if (state_[r.child] != 2) continue;  // a cycle, or nothing defined there
      total = Add(total, Mul(elements_[r.child], std::uint64_t{r.columns} * r.rows));
    }
    elements_[s] = total;
    state_[s] = 2;
    walk.pop_back();
  }
  FlatSize size;
  size.elements = elements_[structure];
  const double bytes = static_cast<double>(size.elements) * bytes_per_element_;
  size.bytes = bytes >= 1.8e19 ? kMax : static_cast<std::uint64_t>(std::ceil(bytes));
  return size;
}

}  // namespace korvex::engine
