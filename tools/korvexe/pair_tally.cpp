#include "korvexe/pair_tally.h"

#include <algorithm>

namespace korvex::engine {

void PairTally::Resolve(const std::function<std::optional<PairKey>(PairKey)>& target) {
  counts_.ForEach([&target](PairKey key, PairCount& c) { c.target = target(key); });
}

std::vector<std::pair<PairKey, PairCount>> PairTally::Sorted() const {
  std::vector<std::pair<PairKey, PairCount>> sorted;
  counts_.ForEach([&sorted](PairKey key, const PairCount& c) {
    if (c.in > 0) sorted.emplace_back(key, c);
  });
  std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  return sorted;
}

std::uint64_t PairTally::in() const {
  std::uint64_t n = 0;
  counts_.ForEach([&n](PairKey, const PairCount& c) { n += c.in; });
  return n;
}

std::uint64_t PairTally::out() const {
  std::uint64_t n = 0;
  counts_.ForEach([&n](PairKey, const PairCount& c) { n += c.out; });
  return n;
}

}  // namespace korvex::engine
