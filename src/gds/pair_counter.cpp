#include "gds/pair_counter.h"

#include <algorithm>

namespace korvex::gds {

std::vector<PairTotal> PairCounter::Totals() const {
  std::vector<PairTotal> out;
  counts_.ForEach([&out](std::uint32_t key, std::uint64_t count) {
    out.push_back({static_cast<std::uint16_t>(key >> 16), static_cast<std::uint16_t>(key), count});
  });
  std::sort(out.begin(), out.end(), [](const PairTotal& a, const PairTotal& b) {
    return a.layer != b.layer ? a.layer < b.layer : a.datatype < b.datatype;
  });
  return out;
}

}  // namespace korvex::gds
