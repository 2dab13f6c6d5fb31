// How much flattening a structure writes, from the hierarchy alone: a few hundred bytes can ask
// for more elements than any disk holds (a chain of structures each placing the next many
// times), and that must be known before the first byte is written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gds/layout_summary.h"

namespace korvex::engine {

// More elements than this are refused whatever the disk holds: far beyond any real layout.
inline constexpr std::uint64_t kFlatElementCeiling = std::uint64_t{1} << 40;

struct FlatSize {
  std::uint64_t elements = 0;  // saturates at UINT64_MAX
  std::uint64_t bytes = 0;     // the same
};

// Counts per structure, memoised, in 64 bits and saturating. A reference cycle adds nothing
// (flattening cuts it); references to undefined structures add nothing.
class FlatEstimator {
 public:
  // `bytes_per_element`: the average written size of a shape element.
  FlatEstimator(const gds::LayoutSummary& summary, double bytes_per_element);

  FlatSize Of(std::uint32_t structure);

 private:
  const gds::LayoutSummary& summary_;
  double bytes_per_element_;
  std::vector<std::uint64_t> elements_;
  std::vector<std::uint8_t> state_;  // 0 new, 1 on the walk, 2 done
};

}  // namespace korvex::engine
