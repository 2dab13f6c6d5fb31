// The one rule for the records inside an element. Every reader of elements (the scanner's
// summary, the element reader, the engine's record copier, the viewer's layer census) asks
// it what a record is, so that they all see the same layer, the same points and the same
// warnings:
// - the first usable record of each value wins; a later one is a duplicate, not used;
// - a further XY record joins its points to those before;
// - a record of the wrong data type or too short for its value is damage, never read;
// - a known record that the element's kind does not carry is out of place, an undefined
//   record type unknown; what to do with those (keep, copy, skip) is the reader's business;
// - ENDEL ends the element; a record that starts an element or ends the structure or library
//   ends it too, as a missing ENDEL;
// - records may come in any order.
// The common case is decided inline: the scanner asks for every record of the file.
#pragma once

#include <array>
#include <cstdint>

#include "gds/element.h"
#include "gds/record.h"

namespace korvex::gds {

enum class ElementRole : std::uint8_t {
  kValue,       // the first usable record of its kind: the element takes its value
  kDuplicate,   // a later record of a value already taken: not used
  kMoreXY,      // a further XY record: its points follow those before
  kProperty,    // PROPATTR, or the PROPVALUE that completes it
  kDamaged,     // data type or length unfit for the record: not read
  kOutOfPlace,  // a known record this kind of element does not carry
  kUnknown,     // a record type the format does not define
  kEnd,         // ENDEL
  kCutOff,      // cannot be inside an element: the element ended before it (missing ENDEL)
};

// Why a record deserves a warning; kNone when it is as it should be.
enum class ElementNote : std::uint8_t {
  kNone,
  kDuplicate,
  kMoreXY,
  kPartialPoint,
  kWrongDataType,
  kTooShort,
  kTooLong,
  kOutOfPlace,
  kValueWithoutAttr,
  kUnknown,
  kMissingEndel,
};

// The text of a warning, e.g. "missing ENDEL"; empty for kNone.
const char* ElementNoteText(ElementNote note);

struct ElementVerdict {
  ElementRole role;
  ElementNote note;
};

namespace grammar_detail {

// What a record type is inside an element of one kind.
enum Class : std::uint8_t { kOutside, kField, kPoints, kAttr, kAttrValue, kEnding, kBreak, kUndefined };

struct alignas(4) Rule {
  Class cls = kUndefined;
  std::uint8_t data_type = 0;  // the one the format defines
  std::uint8_t bytes = 0;      // payload its value needs in that data type
};

using KindRules = std::array<Rule, 256>;
// The rules for each element kind, by record type.
const KindRules& RulesFor(ElementKind kind);

}  // namespace grammar_detail

class ElementGrammar {
 public:
  // Starts an element of `kind`, its start record just read.
  void Start(ElementKind kind) {
    rules_ = &grammar_detail::RulesFor(kind);
    taken_ = 0;
    xy_taken_ = false;
    open_attr_ = false;
  }

  ElementVerdict Classify(const Record& rec) {
    using namespace grammar_detail;
    const Rule r = (*rules_)[rec.type];
    if (r.cls == kField) {
      if (rec.data_type == r.data_type && rec.size == r.bytes) {
        const std::uint64_t bit = std::uint64_t{1} << rec.type;
        if (taken_ & bit) return {ElementRole::kDuplicate, ElementNote::kDuplicate};
        taken_ |= bit;
        return {ElementRole::kValue, ElementNote::kNone};
      }
    } else if (r.cls == kPoints) {
      if (rec.data_type == kInt32 && rec.size % 8 == 0 && rec.size != 0) {
        if (xy_taken_) return {ElementRole::kMoreXY, ElementNote::kMoreXY};
        xy_taken_ = true;
        return {ElementRole::kValue, ElementNote::kNone};
      }
    } else if (r.cls == kEnding) {
      return {ElementRole::kEnd, ElementNote::kNone};
    }
    return Other(rec, r);
  }

 private:
  // Everything but the plain cases above.
  ElementVerdict Other(const Record& rec, grammar_detail::Rule r);

  const grammar_detail::KindRules* rules_ = nullptr;
  std::uint64_t taken_ = 0;  // bit per record type whose value was taken
  bool xy_taken_ = false;
  bool open_attr_ = false;
};

namespace grammar_detail {

// A record's place in an element as the format orders them (0: none there; the properties
// share the last place) and the data type the format writes it in.
struct Placing {
  std::uint8_t rank = 0;
  std::uint8_t data_type = 0;
};

constexpr std::array<Placing, 256> MakePlacings() {
  std::array<Placing, 256> p{};
  const std::uint8_t order[][3] = {
      {kElFlags, 1, kBitArray}, {kPlex, 2, kInt32},       {kLayer, 3, kInt16},        {kSName, 3, kAscii},
      {kDatatype, 4, kInt16},   {kTextType, 4, kInt16},   {kNodeType, 4, kInt16},     {kBoxType, 4, kInt16},
      {kPresentation, 5, kBitArray}, {kPathType, 6, kInt16}, {kWidth, 7, kInt32},     {kBgnExtn, 8, kInt32},
      {kEndExtn, 9, kInt32},    {kSTrans, 10, kBitArray}, {kMag, 11, kReal8},         {kAngle, 12, kReal8},
      {kColRow, 13, kInt16},    {kXY, 14, kInt32},        {kString, 15, kAscii},      {kPropAttr, 16, kInt16},
      {kPropValue, 16, kAscii}};
  for (const auto& o : order) p[o[0]] = {o[1], o[2]};
  return p;
}

inline constexpr std::array<Placing, 256> kPlacings = MakePlacings();

}  // namespace grammar_detail

// Follows the records of one element and tells whether its bytes are a valid element as they
// stand: the start record and ENDEL without data, every record the first usable one of its
// kind, in the format's order and its own data type, properties in pairs. Such an element
// may be copied byte for byte.
class AsWrittenCheck {
 public:
  void Start(const Record& start) {
    ok_ = start.data_type == kNoData && start.size == 0;
    rank_ = 0;
    open_attr_ = false;
  }
  // A record the grammar gave `v` for, other than ENDEL and a record that cut the element off.
  void Add(const Record& rec, ElementVerdict v) {
    const grammar_detail::Placing p = grammar_detail::kPlacings[rec.type];
    const bool in_order = p.rank >= rank_ && !(p.rank == rank_ && p.rank != 16);
    const bool paired = rec.type == kPropValue ? open_attr_ : !open_attr_;
    open_attr_ = rec.type == kPropAttr;
    ok_ = ok_ && in_order && paired && v.note == ElementNote::kNone &&
          (v.role == ElementRole::kValue || v.role == ElementRole::kProperty) && rec.data_type == p.data_type;
    rank_ = p.rank;
  }
  // The common record: a value the grammar took without a note.
  void AddValue(const Record& rec) {
    const grammar_detail::Placing p = grammar_detail::kPlacings[rec.type];
    ok_ = ok_ && p.rank > rank_ && !open_attr_ && rec.data_type == p.data_type;
    rank_ = p.rank;
  }
  // The element ended with `end` (ENDEL), or without one (nullptr).
  bool Finish(const Record* end) const {
    return ok_ && end != nullptr && end->data_type == kNoData && end->size == 0 && !open_attr_;
  }

 private:
  bool ok_ = true;
  int rank_ = 0;
  bool open_attr_ = false;
};

namespace grammar_detail {

// By record type, the element kind it starts, or kNoKind. A table rather than a switch: in a
// mixed run of elements the jump of a switch is often mispredicted.
inline constexpr std::uint8_t kNoKind = 0xFF;
inline constexpr std::array<std::uint8_t, 256> kStartKinds = [] {
  std::array<std::uint8_t, 256> kinds{};
  kinds.fill(kNoKind);
  kinds[kBoundary] = static_cast<std::uint8_t>(ElementKind::kBoundary);
  kinds[kPath] = static_cast<std::uint8_t>(ElementKind::kPath);
  kinds[kSRef] = static_cast<std::uint8_t>(ElementKind::kSRef);
  kinds[kARef] = static_cast<std::uint8_t>(ElementKind::kARef);
  kinds[kText] = static_cast<std::uint8_t>(ElementKind::kText);
  kinds[kNode] = static_cast<std::uint8_t>(ElementKind::kNode);
  kinds[kBox] = static_cast<std::uint8_t>(ElementKind::kBox);
  return kinds;
}();

}  // namespace grammar_detail

// The element kind a start record begins; false for other records.
inline bool ElementKindOfStart(std::uint8_t type, ElementKind& kind) {
  const std::uint8_t k = grammar_detail::kStartKinds[type];
  if (k == grammar_detail::kNoKind) return false;
  kind = static_cast<ElementKind>(k);
  return true;
}

}  // namespace korvex::gds
