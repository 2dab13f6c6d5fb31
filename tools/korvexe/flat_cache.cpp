#include "korvexe/flat_cache.h"

#include <algorithm>

#include "gds/bytes.h"
#include "gds/path_outline.h"
#include "gds/polygon.h"
#include "gds/record.h"
#include "gds/stream_writer.h"
#include "korvexe/run_control.h"

namespace korvex::engine {
namespace {

// What reading kept elements back takes besides the reader itself (its structure header and
// grammar), counted whether or not one is ever read back, so that the footprint cannot grow.
constexpr std::uint64_t kReaderBytes = sizeof(gds::StreamReader) + 4096;

template <typename T>
std::uint64_t Held(const std::vector<T>& v) {
  return v.capacity() * sizeof(T);
}

// Room for `more` elements in `v` without going past `room` bytes in all: grows by doubling
// while that fits, else to just what is needed.
template <typename T>
bool Grow(std::vector<T>& v, std::size_t more, std::uint64_t room) {
  const std::size_t need = v.size() + more;
  if (need <= v.capacity()) return true;
  const std::uint64_t held = Held(v);
  std::size_t next = std::max(need, v.capacity() * 2);
  if ((next * sizeof(T)) - held > room) next = need;
  if ((next * sizeof(T)) - held > room) return false;
  v.reserve(next);
  return true;
}

}  // namespace

std::span<const std::uint8_t> ElementEncoder::Encode(const gds::Element& e) {
  sink_.bytes.clear();
  if (!gds::WriteElement(writer_, e) || !writer_.Flush()) return {};
  return sink_.bytes;
}

CachedStructure::CachedStructure(std::uint64_t limit, std::uint64_t record_bytes, std::uint64_t elements)
    : limit_(limit) {
  // As much as the limit allows of what the structure is expected to need, so that the
  // lists are not grown (and copied) while they are filled.
  const std::uint64_t base = footprint();
  if (base <= limit_ && elements * sizeof(CachedItem) <= limit_ - base) items_.reserve(elements);
  const std::uint64_t with_items = footprint();
  if (with_items <= limit_) bytes_.reserve(std::min(record_bytes, limit_ - with_items));
}

std::uint64_t CachedStructure::footprint() const {
  return sizeof(*this) + kReaderBytes + Held(bytes_) + Held(items_) + Held(dropped_);
}

std::uint64_t CachedStructure::Estimate(std::uint64_t record_bytes, std::uint64_t elements) {
  return sizeof(CachedStructure) + kReaderBytes + record_bytes + elements * sizeof(CachedItem);
}

bool CachedStructure::Add(const gds::Element& e, std::optional<PairKey> pair, ElementEncoder& encoder) {
  const std::span<const std::uint8_t> records = encoder.Encode(e);
  if (records.empty() || bytes_.size() + records.size() > UINT32_MAX) return false;
  const std::uint64_t used = footprint();
  if (used > limit_ || !Grow(items_, 1, limit_ - used)) return false;
  const std::uint64_t with_item = footprint();
  if (with_item > limit_ || !Grow(bytes_, records.size(), limit_ - with_item)) return false;
  CachedItem item;
  item.offset = e.offset;
  item.at = static_cast<std::uint32_t>(bytes_.size());
  item.size = static_cast<std::uint32_t>(records.size());
  item.kind = e.kind;
  item.pair = pair;
  for (std::size_t at = 0; at + 4 <= records.size();) {
    const std::size_t length = gds::LoadU16(records.data() + at);
    if (records[at + 2] == gds::kXY) {
      item.xy = static_cast<std::uint32_t>(at + 4);
      item.points = static_cast<std::uint16_t>((length - 4) / 8);
    }
    at += length;
  }
  item.one_point = gds::OnePoint(e.xy);
  box_.Add(gds::PointsBox(e.xy.data(), e.xy.size()));
  bytes_.insert(bytes_.end(), records.begin(), records.end());
  items_.push_back(item);
  return true;
}

bool CachedStructure::AddLeftOut(const gds::Element& e, const char* fault) {
  const std::uint64_t used = footprint();
  if (used > limit_ || !Grow(items_, 1, limit_ - used)) return false;
  CachedItem item;
  item.offset = e.offset;
  item.fault = fault;
  item.kind = e.kind;
  items_.push_back(item);
  return true;
}

bool CachedStructure::AddDropped(PairKey pair) {
  const std::uint64_t used = footprint();
  if (used > limit_ || !Grow(dropped_, 1, limit_ - used)) return false;
  dropped_.push_back(pair);
  return true;
}

void CachedStructure::Finish() {
  bytes_.shrink_to_fit();
  items_.shrink_to_fit();
  dropped_.shrink_to_fit();
}

void CachedStructure::Read(const CachedItem& item, gds::Element& e) {
  if (!reader_) reader_ = std::make_unique<gds::StreamReader>(bytes_.data(), bytes_.size(), ignored_);
  if (!reader_->ReadElementAt(item.at, e))
    throw EngineError("internal error: a kept element (input offset " + std::to_string(item.offset) +
                      ") could not be read back");
  e.offset = item.offset;
}

}  // namespace korvex::engine
