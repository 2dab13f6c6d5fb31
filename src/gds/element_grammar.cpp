#include "gds/element_grammar.h"

#include <initializer_list>

namespace korvex::gds {
namespace grammar_detail {
namespace {

// Where a record type may appear, as a mask over ElementKind (bit 0 boundary ... bit 6 box).
enum : std::uint8_t { kB = 1, kP = 2, kS = 4, kA = 8, kT = 16, kN = 32, kX = 64, kAll = 127 };

struct Entry {
  std::uint8_t type;
  Class cls;
  std::uint8_t kinds;
  std::uint8_t data_type;
  std::uint8_t bytes;
};

// The records an element may hold, by the kinds that carry them.
constexpr Entry kEntries[] = {
    {kEndEl, kEnding, kAll, kNoData, 0},
    {kXY, kPoints, kAll, kInt32, 8},
    {kPropAttr, kAttr, kAll, kInt16, 2},
    {kPropValue, kAttrValue, kAll, kAscii, 0},
    {kElFlags, kField, kAll, kBitArray, 2},
    {kPlex, kField, kAll, kInt32, 4},
    {kLayer, kField, kB | kP | kT | kN | kX, kInt16, 2},
    {kDatatype, kField, kB | kP, kInt16, 2},
    {kTextType, kField, kT, kInt16, 2},
    {kNodeType, kField, kN, kInt16, 2},
    {kBoxType, kField, kX, kInt16, 2},
    {kPathType, kField, kP | kT, kInt16, 2},
    {kWidth, kField, kP | kT, kInt32, 4},
    {kBgnExtn, kField, kP, kInt32, 4},
    {kEndExtn, kField, kP, kInt32, 4},
    {kSName, kField, kS | kA, kAscii, 0},
    {kColRow, kField, kA, kInt16, 4},
    {kSTrans, kField, kS | kA | kT, kBitArray, 2},
    {kMag, kField, kS | kA | kT, kReal8, 8},
    {kAngle, kField, kS | kA | kT, kReal8, 8},
    {kPresentation, kField, kT, kBitArray, 2},
    {kString, kField, kT, kAscii, 0},
};

constexpr std::array<KindRules, 7> MakeRules() {
  std::array<KindRules, 7> all{};
  for (std::size_t k = 0; k < all.size(); ++k) {
    KindRules& r = all[k];
    for (std::size_t t = 0; t < 0x3C; ++t) r[t] = {kOutside, 0, 0};  // defined, not in elements
    for (std::uint8_t t : {kEndStr, kBgnStr, kEndLib, kBoundary, kPath, kSRef, kARef, kText, kNode, kBox})
      r[t] = {kBreak, 0, 0};
    for (const Entry& e : kEntries) {
      if (e.kinds & (1u << k)) r[e.type] = {e.cls, e.data_type, e.bytes};
    }
  }
  return all;
}

constexpr std::array<KindRules, 7> kRules = MakeRules();

// The payload a record's value needs when read from `data_type`, or -1 when that type does
// not fit: the one the format defines; a 2-byte bit array and a 2-byte integer alike; and a
// number (LAYER, the type records, PATHTYPE) as a 4-byte integer, of which the low 16 bits
// count.
int NeededBytes(std::uint8_t type, std::uint8_t data_type, const Rule& r) {
  if (data_type == r.data_type) return r.bytes;
  const bool two_bytes = r.data_type == kInt16 || r.data_type == kBitArray;
  if (r.bytes == 2 && two_bytes && (data_type == kInt16 || data_type == kBitArray)) return 2;
  if (data_type == kInt32 && (type == kLayer || type == kDatatype || type == kTextType || type == kNodeType ||
                              type == kBoxType || type == kPathType))
    return 4;
  return -1;
}

}  // namespace

const KindRules& RulesFor(ElementKind kind) { return kRules[static_cast<std::size_t>(kind)]; }

}  // namespace grammar_detail

const char* ElementNoteText(ElementNote note) {
  switch (note) {
    case ElementNote::kNone: return "";
    case ElementNote::kDuplicate: return "repeated record not used, the first one counts";
    case ElementNote::kMoreXY: return "further XY record joined to the first";
    case ElementNote::kPartialPoint: return "XY payload not a whole number of points";
    case ElementNote::kWrongDataType: return "record of the wrong data type not read";
    case ElementNote::kTooShort: return "record too short for its value not read";
    case ElementNote::kTooLong: return "record longer than its value";
    case ElementNote::kOutOfPlace: return "record out of place in this kind of element";
    case ElementNote::kValueWithoutAttr: return "PROPVALUE without PROPATTR";
    case ElementNote::kUnknown: return "unknown record in an element";
    case ElementNote::kMissingEndel: return "missing ENDEL";
  }
  return "";
}

ElementVerdict ElementGrammar::Other(const Record& rec, grammar_detail::Rule r) {
  using namespace grammar_detail;
  switch (r.cls) {
    case kUndefined: return {ElementRole::kUnknown, ElementNote::kUnknown};
    case kOutside: return {ElementRole::kOutOfPlace, ElementNote::kOutOfPlace};
    case kBreak: return {ElementRole::kCutOff, ElementNote::kMissingEndel};
    case kEnding: return {ElementRole::kEnd, ElementNote::kNone};
    default: break;
  }
  const int need = NeededBytes(rec.type, rec.data_type, r);
  if (need < 0) return {ElementRole::kDamaged, ElementNote::kWrongDataType};
  if (rec.size < static_cast<std::size_t>(need)) return {ElementRole::kDamaged, ElementNote::kTooShort};
  const std::uint64_t bit = std::uint64_t{1} << rec.type;
  const bool first = !(taken_ & bit);
  switch (r.cls) {
    case kField: {
      if (!first) return {ElementRole::kDuplicate, ElementNote::kDuplicate};
      taken_ |= bit;
      const bool longer = need != 0 && rec.size != static_cast<std::size_t>(need) && rec.type != kColRow;
      return {ElementRole::kValue, longer ? ElementNote::kTooLong : ElementNote::kNone};
    }
    case kPoints: {
      const bool partial = rec.size % 8 != 0;
      const bool first_points = !xy_taken_;
      xy_taken_ = true;
      if (first_points) return {ElementRole::kValue, partial ? ElementNote::kPartialPoint : ElementNote::kNone};
      return {ElementRole::kMoreXY, partial ? ElementNote::kPartialPoint : ElementNote::kMoreXY};
    }
    case kAttr:
      open_attr_ = true;
      return {ElementRole::kProperty, ElementNote::kNone};
    default:  // PROPVALUE
      if (!open_attr_) return {ElementRole::kOutOfPlace, ElementNote::kValueWithoutAttr};
      open_attr_ = false;
      return {ElementRole::kProperty, ElementNote::kNone};
  }
}

}  // namespace korvex::gds
