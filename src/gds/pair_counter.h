// Counts shapes per layer/datatype pair.
#pragma once

#include <cstdint>
#include <vector>

#include "gds/layout_summary.h"
#include "gds/pair_map.h"

namespace korvex::gds {

class PairCounter {
 public:
  void Count(std::uint16_t layer, std::uint16_t datatype, std::uint64_t n = 1) {
    counts_.At((std::uint32_t{layer} << 16) | datatype) += n;
  }
  // Every pair counted, by layer then datatype.
  std::vector<PairTotal> Totals() const;

 private:
  PairMap<std::uint64_t> counts_;
};

}  // namespace korvex::gds
