#include "korvexe/pair_tally.h"

#include <algorithm>
#include <bit>

namespace korvex::engine {

PairCount& PairTally::Insert(PairKey key) {
  if (2 * (used_ + 1) > slots_.size()) {
    std::vector<Slot> old(std::max<std::size_t>(64, 2 * slots_.size()));
    old.swap(slots_);
    used_ = 0;
    shift_ = 64 - std::countr_zero(slots_.size());
    for (const Slot& slot : old)
      if (slot.used) Insert(slot.key) = slot.count;
  }
  std::size_t i = Hash(key);
  while (slots_[i].used) i = (i + 1) & (slots_.size() - 1);
  slots_[i].used = true;
  slots_[i].key = key;
  slots_[i].count.target = key;
  ++used_;
  return slots_[i].count;
}

void PairTally::Resolve(const std::function<std::optional<PairKey>(PairKey)>& target) {
  for (Slot& slot : slots_)
    if (slot.used) slot.count.target = target(slot.key);
}

std::vector<std::pair<PairKey, PairCount>> PairTally::Sorted() const {
  std::vector<std::pair<PairKey, PairCount>> sorted;
  for (const Slot& slot : slots_)
    if (slot.used && slot.count.in > 0) sorted.emplace_back(slot.key, slot.count);
  std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  return sorted;
}

std::uint64_t PairTally::in() const {
  std::uint64_t n = 0;
  for (const Slot& slot : slots_) n += slot.count.in;
  return n;
}

std::uint64_t PairTally::out() const {
  std::uint64_t n = 0;
  for (const Slot& slot : slots_) n += slot.count.out;
  return n;
}

}  // namespace korvex::engine
