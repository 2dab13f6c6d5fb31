// The element body of the summary: its records as the element grammar sorts them, and what
// a finished element adds to its structure.
#include <algorithm>
#include <cmath>

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
  for (;;) {  // one element
    el_ = PendingElement{};
    el_.kind = static_cast<int>(kind);
    el_.offset = next.offset;
    grammar.Start(kind);
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
        continue;
      }
      if (v.role == ElementRole::kEnd) break;
      if (v.note != ElementNote::kNone) Warn(rec.offset, rec.type, ElementNoteText(v.note));
      if (v.role == ElementRole::kValue) {
        TakeValue(rec);
      } else if (v.role == ElementRole::kMoreXY) {
        JoinPoints(rec.data, rec.size);
      } else if (v.role == ElementRole::kCutOff) {
        FinishElement();
        next = rec;
        return step;  // the record that cut it off is read at the structure level
      }  // properties carry nothing the summary reports; the rest is not read
    }
    FinishElement();
    const Step step = Next(next);
    // An element outside a structure goes back to the structure level, which warns about it.
    if (step != Step::kRecord || !in_structure_ || !ElementKindOfStart(next.type, kind)) return step;
  }
}

void Summarizer::FinishElement() {
  const int kind = el_.kind;
  el_.kind = -1;
  if (current_ == kNone) return;  // inside a skipped structure, or outside any
  StructureSummary& s = out_.structures[current_];
  ++s.counts[kind];
  const bool shape = kind != 2 && kind != 3;
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
      points_.resize(n);
      for (std::size_t i = 0; i < n; ++i) points_[i] = {LoadI32(p + 8 * i), LoadI32(p + 8 * i + 4)};
      int type = el_.pathtype;
      if (type != 0 && type != 1 && type != 2 && type != 4) {
        Warn(el_.offset, kPathType, "unknown path type taken as 0");
        type = 0;
      }
      s.local.Add(PathBox(points_.data(), n, el_.width, type, el_.bgnextn, el_.endextn));
      break;
    }
    case 4:  // text: its anchor point
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
