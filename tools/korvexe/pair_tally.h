// Shape elements per layer/datatype pair: how many a run met in the tree it writes and how
// many of them it wrote, so that the log can say per pair what became of it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "gds/element.h"

namespace korvex::engine {

// Layer in the high half, datatype in the low one: keys sort by layer, then datatype.
using PairKey = std::uint32_t;

inline PairKey KeyOf(std::uint16_t layer, std::uint16_t datatype) { return (PairKey{layer} << 16) | datatype; }
inline std::uint16_t LayerOf(PairKey key) { return static_cast<std::uint16_t>(key >> 16); }
inline std::uint16_t DatatypeOf(PairKey key) { return static_cast<std::uint16_t>(key & 0xFFFF); }

// The pair of a shape (boundary, path, box, node, text: its LAYER and DATATYPE, TEXTTYPE,
// BOXTYPE or NODETYPE); none for a reference or a shape that lacks either number.
std::optional<PairKey> PairOf(gds::ElementKind kind, const std::optional<std::uint16_t>& layer,
                              const std::optional<std::uint16_t>& datatype);
inline std::optional<PairKey> PairOf(const gds::Element& e) { return PairOf(e.kind, e.layer, e.datatype); }

struct PairCount {
  std::uint64_t in = 0;
  std::uint64_t out = 0;
  std::optional<PairKey> target;  // the pair written; none: the layer or datatype choice drops it
};

class PairTally {
 public:
  PairTally() = default;
  PairTally(const PairTally& other) : counts_(other.counts_) {}
  PairTally& operator=(const PairTally& other) {
    counts_ = other.counts_;
    last_ = nullptr;
    return *this;
  }

  // One element met with pair `key`, and whether it was written.
  void Count(PairKey key, bool written) {
    PairCount& c = At(key);
    ++c.in;
    c.out += written ? 1 : 0;
  }
  void Count(const std::optional<PairKey>& key, bool written) {
    if (key) Count(*key, written);
  }
  // Elements met (and written) as often as `keys` name them.
  void CountWritten(const std::vector<PairKey>& keys) {
    for (PairKey k : keys) Count(k, true);
  }
  // Sets each pair's target; without it a pair is written as it is.
  void Resolve(const std::function<std::optional<PairKey>(PairKey)>& target);

  // Every pair met, by layer then datatype.
  std::vector<std::pair<PairKey, PairCount>> Sorted() const;
  std::uint64_t in() const;
  std::uint64_t out() const;

 private:
  // Elements of one pair tend to follow each other: the last entry is kept at hand.
  PairCount& At(PairKey key) {
    if (last_ == nullptr || key != last_key_) {
      auto [it, fresh] = counts_.try_emplace(key);
      if (fresh) it->second.target = key;
      last_ = &it->second;
      last_key_ = key;
    }
    return *last_;
  }

  std::unordered_map<PairKey, PairCount> counts_;
  PairKey last_key_ = 0;
  PairCount* last_ = nullptr;
};

}  // namespace korvex::engine
