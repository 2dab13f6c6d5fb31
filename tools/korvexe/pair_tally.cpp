#include "korvexe/pair_tally.h"

#include <algorithm>

namespace korvex::engine {

std::optional<PairKey> PairOf(gds::ElementKind kind, const std::optional<std::uint16_t>& layer,
                              const std::optional<std::uint16_t>& datatype) {
  if (kind == gds::ElementKind::kSRef || kind == gds::ElementKind::kARef || !layer || !datatype) return std::nullopt;
  return KeyOf(*layer, *datatype);
}

void PairTally::Resolve(const std::function<std::optional<PairKey>(PairKey)>& target) {
  for (auto& [key, count] : counts_) count.target = target(key);
}

std::vector<std::pair<PairKey, PairCount>> PairTally::Sorted() const {
  std::vector<std::pair<PairKey, PairCount>> sorted(counts_.begin(), counts_.end());
  std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  return sorted;
}

std::uint64_t PairTally::in() const {
  std::uint64_t n = 0;
  for (const auto& [key, count] : counts_) n += count.in;
  return n;
}

std::uint64_t PairTally::out() const {
  std::uint64_t n = 0;
  for (const auto& [key, count] : counts_) n += count.out;
  return n;
}

}  // namespace korvex::engine
