// The element body of the summary: its records as the element grammar sorts them, and what
// a finished element adds to its structure.
#include <algorithm>
#include <cmath>

#include "gds/stream_writer.h"
#include "gds/summarizer.h"

namespace korvex::gds {

// A record the grammar found usable as the first of its kind.
// Inlined: it runs for nearly every record of the file.
[[gnu::always_inline]] inline void Summarizer::TakeValue(const Record& rec) {
  // The three records nearly every element has first, then the rest.
  if (rec.type == kXY) {
    el_.xy = rec.data;
    el_.points = rec.size / 8;
    return;
  }
  if (rec.type == kLayer) {
    el_.layer = rec.Number();
    return;
  }
  switch (rec.type) {
    case kDatatype:
    case kTextType:
    case kNodeType:
    case kBoxType:
      el_.datatype = rec.Number();
      break;
    case kWidth:
      el_.width = rec.Int32(0);
      break;
    case kPathType:
      el_.pathtype = static_cast<std::int16_t>(rec.Number());
      break;
    case kBgnExtn:
      el_.bgnextn = rec.Int32(0);
      break;
    case kEndExtn:
      el_.endextn = rec.Int32(0);
      break;
    case kSName:
      el_.sname = rec.data;
      el_.sname_size = rec.size;  // cut at its first NUL when used
      el_.has_sname = true;
      break;
    case kString:
      el_.has_string = true;
      break;
    case kSTrans:
      el_.reflect = (rec.UInt16(0) & 0x8000) != 0;
      break;
    case kMag:
      el_.mag = rec.Real(0).value();
      break;
    case kAngle:
      el_.angle = rec.Real(0).value();
      break;
    case kColRow:
      el_.columns = rec.Int16(0);
      el_.rows = rec.Int16(1);
      break;
    default:
      break;
  }
}

// The points of a further XY record follow those before: both are copied into one buffer,
// which keeps its capacity for the next such element.
void Summarizer::JoinPoints(const std::uint8_t* data, std::size_t size) {
  const std::size_t bytes = size / 8 * 8;
  if (el_.xy != joined_.data() || joined_.empty()) joined_.assign(el_.xy, el_.xy + el_.points * 8);
  joined_.insert(joined_.end(), data, data + bytes);
  el_.xy = joined_.data();
  el_.points = joined_.size() / 8;
}

namespace {

constexpr std::size_t kPrefetchAhead = 2048;

constexpr std::uint32_t Header(std::uint8_t type, std::uint8_t data_type, std::uint16_t length) {
  return std::uint32_t{length} << 16 | std::uint32_t{type} << 8 | data_type;
}

}  // namespace

// One element in its plain form, its start record at `start` and its other records from
// `at`: each value record once and exactly as long as its value, one XY record, then ENDEL,
// nothing that would raise a warning, all of it below `limit`. A record of a fixed length
// advances by a constant chosen by a branch, which the processor predicts, instead of by the
// length read from the record, which it would have to wait for. Leaves the element in el_,
// counts its records and returns the offset after its ENDEL; 0 for an element in any other
// form (nothing counted).
std::size_t Summarizer::PlainElement(ElementKind kind, std::uint64_t start, std::size_t at, std::size_t limit) {
  using namespace grammar_detail;
  const KindRules& rules = *rules_[static_cast<int>(kind)];
  el_ = PendingElement{};
  el_.kind = static_cast<int>(kind);
  el_.offset = start;
  std::uint64_t taken = 0;  // bit per record type whose value was taken
  bool xy = false;
  std::uint64_t count = 0;
  std::size_t p = at;
  // Whether the records come in the format's order, so that the element is valid as it stands.
  int rank = 0;
  bool ordered = true;
  // The usual beginning of a shape, LAYER and then its type record, in one comparison.
  static constexpr std::uint8_t kTypeRecord[7] = {kDatatype, kDatatype, 0, 0, kTextType, kNodeType, kBoxType};
  const std::uint8_t type_record = kTypeRecord[static_cast<int>(kind)];
  if (type_record != 0 && limit - p >= 16) {
    const std::uint64_t first = LoadU64(data_ + p), second = LoadU32(data_ + p + 6);
    const std::uint64_t layer = std::uint64_t{Header(kLayer, kInt16, 6)} << 32 | 6;
    if ((first & 0xFFFFFFFF0000FFFFull) == layer && second == Header(type_record, kInt16, 6) &&
        rules[kLayer].cls == kField && rules[type_record].cls == kField) {
      el_.layer = LoadU16(data_ + p + 4);
      el_.datatype = LoadU16(data_ + p + 10);
      taken = std::uint64_t{1} << kLayer | std::uint64_t{1} << type_record;
      count = 2;
      p += 12;
      rank = kPlacings[type_record].rank;
    }
  }
  for (;;) {
    if (limit - p < 4) return 0;
    const std::uint32_t h = LoadU32(data_ + p);
    std::size_t length;
    switch (h) {
      case Header(kEndEl, kNoData, 4):
        records_ += count + 1;
        el_.as_written = ordered;
        return p + 4;
      case Header(kLayer, kInt16, 6):
      case Header(kDatatype, kInt16, 6):
      case Header(kTextType, kInt16, 6):
      case Header(kPathType, kInt16, 6):
      case Header(kNodeType, kInt16, 6):
      case Header(kBoxType, kInt16, 6):
      case Header(kSTrans, kBitArray, 6):
      case Header(kPresentation, kBitArray, 6):
      case Header(kElFlags, kBitArray, 6):
        length = 6;
        break;
      case Header(kWidth, kInt32, 8):
      case Header(kBgnExtn, kInt32, 8):
      case Header(kEndExtn, kInt32, 8):
      case Header(kPlex, kInt32, 8):
      case Header(kColRow, kInt16, 8):
        length = 8;
        break;
      case Header(kMag, kReal8, 12):
      case Header(kAngle, kReal8, 12):
        length = 12;
        break;
      default:
        // Points, names and strings: their length is read.
        length = h >> 16;
        if ((h & 0xFFFF) == Header(kXY, kInt32, 0)) {
          if (xy || length < 12 || (length - 4) % 8 != 0) return 0;
          xy = true;
          if (limit - p < length) return 0;
          TakeValue(Record{p, kXY, kInt32, data_ + p + 4, length - 4});
          p += length;
          ++count;
          ordered = ordered && kPlacings[kXY].rank > rank;
          rank = kPlacings[kXY].rank;
          // Most often ENDEL follows.
          if (limit - p >= 4 && LoadU32(data_ + p) == Header(kEndEl, kNoData, 4)) {
            records_ += count + 1;
            el_.as_written = ordered;
            return p + 4;
          }
          continue;
        }
        if ((h & 0xFFFF) != Header(kSName, kAscii, 0) && (h & 0xFFFF) != Header(kString, kAscii, 0)) return 0;
        if (length < 4 || (length & 1)) return 0;
        break;
    }
    if (limit - p < length) return 0;
    const auto type = static_cast<std::uint8_t>(h >> 8);
    const auto data_type = static_cast<std::uint8_t>(h);
    const Rule r = rules[type];
    const std::uint64_t bit = std::uint64_t{1} << type;  // every field type is below 64
    if (r.cls != kField || r.data_type != data_type || (r.bytes != 0 && r.bytes + 4u != length) || (taken & bit))
      return 0;
    taken |= bit;
    TakeValue(Record{p, type, data_type, data_ + p + 4, length - 4});
    p += length;
    ++count;
    ordered = ordered && kPlacings[type].rank > rank;
    rank = kPlacings[type].rank;
  }
}

// Plain elements one after the other, starting with the one begun by `next`. True when they
// were read to the ENDEL of the last, the reader standing after it; false when the element
// begun by `next` (perhaps a later one than at the call) is not plain and is still to be
// read, the reader standing after its start record.
bool Summarizer::PlainElements(ElementKind& kind, Record& next) {
  const std::size_t limit = std::min<std::size_t>(size_, watch_);
  std::size_t at = reader_.offset();
  if (at >= limit) return false;
  // The start records of the elements chained below are checked to be without data.
  bool plain_start = next.data_type == kNoData && next.size == 0;
  for (;;) {
    const std::size_t end = PlainElement(kind, next.offset, at, limit);
    if (end == 0) {
      reader_.Seek(at);
      return false;
    }
    el_.as_written = el_.as_written && plain_start;
    plain_start = true;
    // Asks for the bytes a little ahead: a page boundary stops the processor's own fetching.
    __builtin_prefetch(data_ + std::min(end + kPrefetchAhead, size_ - 1));
    FinishElement();
    // The start record of the next element, when it is plain too: a fixed step again.
    const std::uint32_t h = limit - end >= 8 ? LoadU32(data_ + end) : 0;
    if ((h & 0xFFFF00FF) != Header(0, kNoData, 4) || !ElementKindOfStart(static_cast<std::uint8_t>(h >> 8), kind)) {
      reader_.Seek(end);
      return true;
    }
    next = Record{end, static_cast<std::uint8_t>(h >> 8), kNoData, data_ + end + 4, 0};
    ++records_;
    at = end + 4;
  }
}

// Inlined: it runs for every shape of the file when asked for.
[[gnu::always_inline]] inline void Summarizer::NotePair(int kind) {
  if (!options_.pairs || current_ == kNone || el_.layer < 0 || kind < 0 || kind == 2 || kind == 3) return;
  const std::uint32_t key = (std::uint32_t(el_.layer) << 16) | std::uint32_t(el_.datatype >= 0 ? el_.datatype : 0);
  if (pairs_.size() >= kPairSetLimit) {
    pairs_.push_back(key);
    return;
  }
  for (std::size_t slot = (key * 0x9E3779B1u) >> 22;; slot = (slot + 1) % kPairSlots) {
    std::uint64_t& entry = pair_set_[slot];
    if (entry == std::uint64_t(key) + 1) return;
    if (entry == 0) {
      entry = std::uint64_t(key) + 1;
      pair_slots_used_.push_back(static_cast<std::uint16_t>(slot));
      pairs_.push_back(key);
      return;
    }
  }
}

Summarizer::Step Summarizer::ReadElements(ElementKind kind, Record& next) {
  ElementGrammar grammar;
  Record rec;
  in_header_ = false;
  for (;;) {  // one element
    if (in_structure_ && PlainElements(kind, next)) {
      const Step step = Next(next);
      if (step != Step::kRecord || !ElementKindOfStart(next.type, kind)) return step;
      continue;
    }
    el_ = PendingElement{};
    el_.kind = static_cast<int>(kind);
    el_.offset = next.offset;
    grammar.Start(kind);
    as_written_.Start(next);
    for (;;) {  // one record of it
      const Step step = Next(rec);
      if (step != Step::kRecord && step != Step::kLast) {
        // An element cut off by the end of the data is not counted, but a reader of shapes
        // still gets it: its pair is listed.
        if (step == Step::kEnd) NotePair(el_.kind);
        el_.kind = -1;
        return step;
      }
      const ElementVerdict v = grammar.Classify(rec);
      if (v.role == ElementRole::kValue && v.note == ElementNote::kNone) [[likely]] {
        TakeValue(rec);
        if (options_.copy_facts) as_written_.AddValue(rec);
        continue;
      }
      if (v.role == ElementRole::kEnd) {
        el_.as_written = as_written_.Finish(&rec);
        break;
      }
      if (v.note != ElementNote::kNone) Warn(rec.offset, rec.type, ElementNoteText(v.note));
      if (v.role == ElementRole::kCutOff) {
        FinishElement();
        next = rec;
        return step;  // the record that cut it off is read at the structure level
      }
      as_written_.Add(rec, v);
      if (v.role == ElementRole::kValue) {
        TakeValue(rec);
      } else if (v.role == ElementRole::kMoreXY) {
        JoinPoints(rec.data, rec.size);
      }  // properties carry nothing the summary reports; the rest is not read
    }
    FinishElement();
    const Step step = Next(next);
    // An element outside a structure goes back to the structure level, which warns about it.
    if (step != Step::kRecord || !in_structure_ || !ElementKindOfStart(next.type, kind)) return step;
  }
}

// What copying needs to know of a finished element: whether it can be written at all, and
// whether its bytes can go out as they stand.
void Summarizer::CopyFacts(int kind, bool shape) {
  ElementFacts facts;
  facts.kind = static_cast<ElementKind>(kind);
  facts.layer = el_.layer >= 0;
  facts.type = el_.datatype >= 0;
  facts.name = el_.has_sname && !Record{0, kSName, kAscii, el_.sname, el_.sname_size}.Text().empty();
  facts.string = el_.has_string;
  facts.colrow = el_.columns >= 1 && el_.rows >= 1;
  facts.points = el_.points;
  const bool writable = ElementFault(facts) == nullptr;
  verbatim_ = verbatim_ && writable && el_.as_written;
  if (shape && writable) pair_totals_.Count(static_cast<std::uint16_t>(el_.layer), static_cast<std::uint16_t>(el_.datatype));
  if (kind == 4 && std::isfinite(el_.mag) && el_.mag > out_.largest_text_mag) out_.largest_text_mag = el_.mag;
}

void Summarizer::FinishElement() {
  const int kind = el_.kind;
  el_.kind = -1;
  if (current_ == kNone) return;  // inside a skipped structure, or outside any
  StructureSummary& s = out_.structures[current_];
  ++s.counts[kind];
  const bool shape = kind != 2 && kind != 3;
  if (options_.copy_facts) CopyFacts(kind, shape);
  if (shape) {
    if (el_.layer >= 0) out_.layers.Insert(static_cast<std::uint16_t>(el_.layer));
    else Warn(el_.offset, StartRecordOf(static_cast<ElementKind>(kind)), "element without LAYER");
    if (el_.datatype >= 0) out_.datatypes.Insert(static_cast<std::uint16_t>(el_.datatype));
    NotePair(kind);
  }
  if (el_.points == 0) {
    Warn(el_.offset, StartRecordOf(static_cast<ElementKind>(kind)), "element without XY");
    return;
  }
  const std::uint8_t* p = el_.xy;
  const std::size_t n = el_.points;
  switch (kind) {
    case 0:    // boundary
    case 5:    // node
    case 6: {  // box
      if (!options_.extents) break;
      std::int32_t minx = LoadI32(p), miny = LoadI32(p + 4), maxx = minx, maxy = miny;
      for (std::size_t i = 1; i < n; ++i) {
        const std::int32_t x = LoadI32(p + 8 * i), y = LoadI32(p + 8 * i + 4);
        minx = std::min(minx, x);
        maxx = std::max(maxx, x);
        miny = std::min(miny, y);
        maxy = std::max(maxy, y);
      }
      s.local.Add(minx, miny);
      s.local.Add(maxx, maxy);
      break;
    }
    case 1: {  // path
      int type = el_.pathtype;
      if (type != 0 && type != 1 && type != 2 && type != 4) {
        Warn(el_.offset, kPathType, "unknown path type taken as 0");
        type = 0;
      }
      if (!options_.extents) break;
      points_.resize(n);
      for (std::size_t i = 0; i < n; ++i) points_[i] = {LoadI32(p + 8 * i), LoadI32(p + 8 * i + 4)};
      s.local.Add(PathBox(points_.data(), n, el_.width, type, el_.bgnextn, el_.endextn));
      break;
    }
    case 4:  // text: its anchor point
      if (options_.extents)
        s.local.Add(LoadI32(p), LoadI32(p + 4));
      break;
    case 2:
    case 3: {
      if (!el_.has_sname) {
        Warn(el_.offset, StartRecordOf(static_cast<ElementKind>(kind)), "reference without SNAME");
        return;
      }
      Reference r;
      r.array = kind == 3;
      if (r.array && n < 3) {
        Warn(el_.offset, kARef, "AREF with fewer than 3 points ignored");
        return;
      }
      const std::string_view name = Record{0, kSName, kAscii, el_.sname, el_.sname_size}.Text();
      if (name.empty()) {
        Warn(el_.offset, kSName, "empty SNAME ignored");
        return;
      }
      r.child = Lookup(name);
      r.reflect = el_.reflect;
      r.mag = el_.mag;
      r.angle = el_.angle;
      if (!(r.mag > 0) || !std::isfinite(r.mag)) {
        Warn(el_.offset, kMag, "bad MAG taken as 1");
        r.mag = 1.0;
      }
      if (!std::isfinite(r.angle)) {
        Warn(el_.offset, kAngle, "bad ANGLE taken as 0");
        r.angle = 0.0;
      }
      for (std::size_t i = 0; i < (r.array ? 3u : 1u); ++i) r.points[i] = {LoadI32(p + 8 * i), LoadI32(p + 8 * i + 4)};
      if (r.array) {
        int c = el_.columns, rw = el_.rows;
        if (c <= 0 || c >= 0x8000 || rw <= 0 || rw >= 0x8000) {
          Warn(el_.offset, kColRow, "AREF with invalid COLROW taken as 1 x 1");
          c = (c <= 0 || c >= 0x8000) ? 1 : c;
          rw = (rw <= 0 || rw >= 0x8000) ? 1 : rw;
        }
        r.columns = static_cast<std::uint16_t>(c);
        r.rows = static_cast<std::uint16_t>(rw);
      }
      out_.references.push_back(r);
      break;
    }
    default:
      break;
  }
}

}  // namespace korvex::gds
