#include "gds/pair_counter.h"

#include <algorithm>

namespace korvex::gds {

std::vector<PairTotal> PairCounter::Totals() const {
  std::vector<PairTotal> out;
  for (const Slot& s : slots_)
    if (s.used) out.push_back({static_cast<std::uint16_t>(s.key >> 16), static_cast<std::uint16_t>(s.key), s.count});
  std::sort(out.begin(), out.end(), [](const PairTotal& a, const PairTotal& b) {
    return a.layer != b.layer ? a.layer < b.layer : a.datatype < b.datatype;
  });
  return out;
}

void PairCounter::Grow() {
  std::vector<Slot> old = std::move(slots_);
  const std::size_t size = old.empty() ? 256 : 2 * old.size();
  slots_.assign(size, Slot{});
  shift_ = 64 - std::countr_zero(size);
  used_ = 0;
  for (const Slot& s : old)
    if (s.used) Count(static_cast<std::uint16_t>(s.key >> 16), static_cast<std::uint16_t>(s.key), s.count);
}

}  // namespace korvex::gds
