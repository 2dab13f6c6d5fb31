#include "korvexe/flat_estimate.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "korvexe/tree_walk.h"

namespace korvex::engine {
namespace {

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
  std::vector<std::pair<std::uint32_t, std::size_t>> walk;
  WalkChildrenFirst(
      summary_, structure, walk,
      [this](std::uint32_t s) {
        if (state_[s] != 0) return false;
        state_[s] = 1;
        return true;
      },
      [this](std::uint32_t s) {
        const gds::StructureSummary& summary = summary_.structures[s];
        std::uint64_t total = OwnShapes(summary);
        for (std::size_t i = 0; i < summary.reference_count; ++i) {
          const gds::Reference& r = summary_.references[summary.first_reference + i];
          if (state_[r.child] != 2) continue;  // a cycle, or nothing defined there
          total = SaturatingAdd(total, SaturatingMul(elements_[r.child], std::uint64_t{r.columns} * r.rows));
        }
        elements_[s] = total;
        state_[s] = 2;
      });
  FlatSize size;
  size.elements = elements_[structure];
  const double bytes = static_cast<double>(size.elements) * bytes_per_element_;
  size.bytes = bytes >= 1.8e19 ? kSaturated : static_cast<std::uint64_t>(std::ceil(bytes));
  return size;
}

}  // namespace korvex::engine
