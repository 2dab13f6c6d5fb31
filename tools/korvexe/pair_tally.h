// Shape elements per layer/datatype pair: how many a run met in the tree it writes and how
// many of them it wrote, so that the log can say per pair what became of it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "gds/element.h"
#include "gds/pair_map.h"

namespace korvex::engine {

// Layer in the high half, datatype in the low one: keys sort by layer, then datatype.
using PairKey = std::uint32_t;

inline PairKey KeyOf(std::uint16_t layer, std::uint16_t datatype) { return (PairKey{layer} << 16) | datatype; }
inline std::uint16_t LayerOf(PairKey key) { return static_cast<std::uint16_t>(key >> 16); }
inline std::uint16_t DatatypeOf(PairKey key) { return static_cast<std::uint16_t>(key & 0xFFFF); }

// The pair of a shape (boundary, path, box, node, text: its LAYER and DATATYPE, TEXTTYPE,
// BOXTYPE or NODETYPE); none for a reference or a shape that lacks either number.
inline std::optional<PairKey> PairOf(gds::ElementKind kind, const std::optional<std::uint16_t>& layer,
                                     const std::optional<std::uint16_t>& datatype) {
  if (kind == gds::ElementKind::kSRef || kind == gds::ElementKind::kARef || !layer || !datatype) return std::nullopt;
  return KeyOf(*layer, *datatype);
}
inline std::optional<PairKey> PairOf(const gds::Element& e) { return PairOf(e.kind, e.layer, e.datatype); }

struct PairCount {
  std::uint64_t in = 0;
  std::uint64_t out = 0;
  std::optional<PairKey> target;  // the pair written; none: the layer or datatype choice drops it
};

// Counted once per element of every job, so a lookup must cost next to nothing.
class PairTally {
 public:
  // One element met with pair `key`, and whether it was written.
  void Count(PairKey key, bool written) {
    PairCount& c = At(key);
    ++c.in;
    c.out += written ? 1 : 0;
  }
  void Count(const std::optional<PairKey>& key, bool written) {
    if (key) Count(*key, written);
  }
  // `in` elements met with pair `key`, of which `out` were written.
  void Count(PairKey key, std::uint64_t in, std::uint64_t out) {
    PairCount& c = At(key);
    c.in += in;
    c.out += out;
  }
  // `n` elements met with pair `key` and written.
  void CountWritten(PairKey key, std::uint64_t n) {
    PairCount& c = At(key);
    c.in += n;
    c.out += n;
  }
  // Takes back `n` elements counted as met and written.
  void UncountWritten(PairKey key, std::uint64_t n) {
    PairCount& c = At(key);
    c.in -= n;
    c.out -= n;
  }
  // Adds the counts of `other`.
  void Add(const PairTally& other) {
    other.counts_.ForEach([this](PairKey key, const PairCount& c) { Count(key, c.in, c.out); });
  }
  // Sets each pair's target; without it a pair is written as it is.
  void Resolve(const std::function<std::optional<PairKey>(PairKey)>& target);

  // Every pair met (at least once), by layer then datatype.
  std::vector<std::pair<PairKey, PairCount>> Sorted() const;
  std::uint64_t in() const;
  std::uint64_t out() const;

 private:
  // A pair met for the first time is written as it is until Resolve() says otherwise.
  PairCount& At(PairKey key) {
    bool fresh;
    PairCount& c = counts_.At(key, fresh);
    if (fresh) c.target = key;
    return c;
  }

  gds::PairMap<PairCount> counts_;
};

}  // namespace korvex::engine
