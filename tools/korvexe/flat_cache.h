// A structure kept in memory for flattening: its elements read and filtered once, kept as the
// records they are written as, so that a placement that only moves points writes them with
// little more than a copy. Elements a placement changes otherwise are read back whole.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "gds/diagnostics.h"
#include "gds/element.h"
#include "gds/record_writer.h"
#include "gds/stream_reader.h"
#include "korvexe/element_filter.h"
#include "korvexe/pair_tally.h"

namespace korvex::engine {

struct CachedItem {
  std::uint64_t offset = 0;      // of the element in the input (messages name it)
  const char* fault = nullptr;   // why it cannot be written (it is then not kept as records)
  std::uint32_t at = 0;          // of its records in the kept bytes
  std::uint32_t size = 0;        // of its records
  std::uint32_t xy = 0;          // of its XY payload from `at` (with `points`)
  std::uint16_t points = 0;
  gds::ElementKind kind = gds::ElementKind::kBoundary;
  bool one_point = false;        // all its points alike
  std::optional<PairKey> pair;   // as it was read
};

// Encodes one element at a time as it is written (one serves every structure kept).
class ElementEncoder {
 public:
  // The records of `e`; empty when they cannot be written.
  std::span<const std::uint8_t> Encode(const gds::Element& e);

 private:
  gds::MemorySink sink_;
  gds::RecordWriter writer_{sink_, 0};
};

class CachedStructure {
 public:
  // Keeps at most `limit` bytes in all (records, items and the rest); what would take more is
  // refused, and nothing is allocated beyond it. `elements` sizes the item list.
  CachedStructure(std::uint64_t limit, std::uint64_t record_bytes, std::uint64_t elements);
  CachedStructure(const CachedStructure&) = delete;
  CachedStructure& operator=(const CachedStructure&) = delete;

  // Keeps `e` as written; false once the limit is reached (the structure cannot be kept).
  bool Add(const gds::Element& e, std::optional<PairKey> pair, ElementEncoder& encoder);
  // Notes an element that cannot be written, by its offset and why.
  bool AddLeftOut(const gds::Element& e, const char* fault);
  bool AddDropped(PairKey pair);
  // Ends the adding: what is kept is given its final size.
  void Finish();

  const std::vector<CachedItem>& items() const { return items_; }
  // Around the points of every element kept as records.
  const gds::Box& box() const { return box_; }
  const std::vector<PairKey>& dropped() const { return dropped_; }
  FilterCounts& counts() { return counts_; }
  const FilterCounts& counts() const { return counts_; }
  std::span<const std::uint8_t> RecordsOf(const CachedItem& item) const { return {bytes_.data() + item.at, item.size}; }
  // The element of `item` read back whole (with its input offset). Throws EngineError when
  // it cannot be, which would be a fault of this program.
  void Read(const CachedItem& item, gds::Element& e);
  // Bytes held now, all allocations counted.
  std::uint64_t footprint() const;
  // What a structure of `record_bytes` in the input with `elements` elements is expected to
  // take when kept (its records are written anew at about their size in the input).
  static std::uint64_t Estimate(std::uint64_t record_bytes, std::uint64_t elements);

 private:
  bool Fits(std::uint64_t more) const { return footprint() + more <= limit_; }

  std::uint64_t limit_;
  std::vector<std::uint8_t> bytes_;
  std::vector<CachedItem> items_;
  std::vector<PairKey> dropped_;
  FilterCounts counts_;  // what the shape options did to its elements
  gds::Box box_;
  gds::Diagnostics ignored_{0};
  std::unique_ptr<gds::StreamReader> reader_;  // made at the first element read back
};

}  // namespace korvex::engine
