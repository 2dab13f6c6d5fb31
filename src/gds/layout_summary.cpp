#include "gds/layout_summary.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <string_view>
#include <thread>

#include "gds/record_reader.h"
#include "gds/stream_reader.h"

namespace korvex::gds {
namespace {

constexpr std::uint8_t kStartRecords[7] = {kBoundary, kPath, kSRef, kARef, kText, kNode, kBox};

int KindIndex(std::uint8_t type) {
  switch (type) {
    case kBoundary: return 0;
    case kPath: return 1;
    case kSRef: return 2;
    case kARef: return 3;
    case kText: return 4;
    case kNode: return 5;
    case kBox: return 6;
    default: return -1;
  }
}

// The element being read: pointers into the stream, nothing copied.
struct PendingElement {
  int kind = -1;
  std::uint64_t offset = 0;
  int layer = -1;
  int datatype = -1;
  int pathtype = 0;
  std::int32_t width = 0, bgnextn = 0, endextn = 0;
  const std::uint8_t* sname = nullptr;
  std::size_t sname_size = 0;
  bool has_sname = false;
  bool reflect = false;
  double mag = 1.0, angle = 0.0;
  int columns = -1, rows = -1;
  const std::uint8_t* xy = nullptr;
  std::size_t points = 0;
};

class Summarizer {
 public:
  Summarizer(const std::uint8_t* data, std::size_t size, Diagnostics& diag, LayoutSummary& out,
             const SummaryOptions& options)
      : data_(data), size_(size), diag_(diag), out_(out), options_(options) {}

  // Reads the whole stream, or with SetPart() the structures from `start` up to the BGNSTR
  // at `stop` (0: to the end).
  bool Run();
  void SetPart(std::size_t start, std::size_t stop) {
    start_ = start;
    stop_ = stop;
  }
  // For a part: its records led exactly to the BGNSTR where the next part starts, and it met
  // no library header record (which a single pass would apply to the whole library).
  bool reached_stop() const { return reached_stop_; }
  bool met_library_header() const { return met_library_header_; }

 private:
  void Warn(std::uint64_t offset, std::uint8_t type, std::string_view message) {
    diag_.Warn(offset, type == 0xFF ? std::string() : RecordName(type), current_name(), message);
  }
  std::string current_name() const {
    return current_ != kNone ? out_.structures[current_].name : std::string(skip_name_);
  }
  std::uint32_t Lookup(std::string_view name);
  void BeginStructure(const Record& rec, std::string_view name);
  void EndStructure();
  void FinishElement();

  static constexpr std::uint32_t kNone = 0xFFFFFFFF;
  std::size_t start_ = 0;
  std::size_t stop_ = 0;
  bool reached_stop_ = false;
  bool met_library_header_ = false;
  const std::uint8_t* data_;
  std::size_t size_;
  Diagnostics& diag_;
  LayoutSummary& out_;
  const SummaryOptions& options_;
  std::unordered_map<std::string, std::uint32_t, StringHash, std::equal_to<>> names_;
  std::uint32_t current_ = kNone;
  bool in_structure_ = false;  // between BGNSTR and ENDSTR (also while skipping one)
  bool skipping_ = false;      // inside a structure that is not reported
  std::string skip_name_;
  PendingElement el_;
  std::vector<Point> points_;
  std::uint32_t last_child_ = kNone;
  std::string_view last_child_name_;
};

std::uint32_t Summarizer::Lookup(std::string_view name) {
  if (last_child_ != kNone && name == last_child_name_) return last_child_;
  auto it = names_.find(name);
  std::uint32_t index;
  if (it == names_.end()) {
    index = static_cast<std::uint32_t>(out_.structures.size());
    StructureSummary s;
    s.name = std::string(name);
    out_.structures.push_back(std::move(s));
    it = names_.emplace(std::string(name), index).first;
  } else {
    index = it->second;
  }
  last_child_ = index;
  last_child_name_ = it->first;
  return index;
}

void Summarizer::BeginStructure(const Record& rec, std::string_view name) {
  std::string fixed;
  if (name.empty()) {
    fixed = "$$EMPTY_NAME$$_" + std::to_string(rec.offset);
    Warn(rec.offset, kStrName, "empty structure name replaced");
    name = fixed;
  }
  if (options_.skip_context_info && name == kContextInfoName) {
    skipping_ = true;
    skip_name_ = std::string(name);
    out_.skipped_context_info = true;
    return;
  }
  const std::uint32_t index = Lookup(name);
  StructureSummary& s = out_.structures[index];
  if (s.defined) {
    skipping_ = true;
    skip_name_ = std::string(name);
    Warn(rec.offset, kStrName, "duplicate structure name, later definition ignored");
    return;
  }
  s.defined = true;
  s.offset = rec.offset;
  s.first_reference = out_.references.size();
  out_.listed.push_back(index);
  current_ = index;
}

void Summarizer::EndStructure() {
  if (el_.kind >= 0) FinishElement();
  if (current_ != kNone) {
    StructureSummary& s = out_.structures[current_];
    s.reference_count = out_.references.size() - s.first_reference;
  }
  current_ = kNone;
  in_structure_ = false;
  skipping_ = false;
  skip_name_.clear();
}

void Summarizer::FinishElement() {
  const int kind = el_.kind;
  el_.kind = -1;
  if (current_ == kNone) return;  // inside a skipped structure
  StructureSummary& s = out_.structures[current_];
  ++s.counts[kind];
  const bool shape = kind != 2 && kind != 3;
  if (shape) {
    if (el_.layer >= 0) out_.layers.Insert(static_cast<std::uint16_t>(el_.layer));
    else Warn(el_.offset, kStartRecords[kind], "element without LAYER");
    if (el_.datatype >= 0) out_.datatypes.Insert(static_cast<std::uint16_t>(el_.datatype));
  }
  if (el_.xy == nullptr) {
    Warn(el_.offset, kStartRecords[kind], "element without XY");
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
        Warn(el_.offset, kStartRecords[kind], "reference without SNAME");
        return;
      }
      Reference r;
      r.array = kind == 3;
      if (r.array && n < 3) {
        Warn(el_.offset, kARef, "AREF with fewer than 3 points ignored");
        return;
      }
      std::string_view name(reinterpret_cast<const char*>(el_.sname), el_.sname_size);
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

bool Summarizer::Run() {
  const std::string bad = CheckSignature(data_, size_);
  if (!bad.empty()) {
    diag_.Fail(0, "", "", bad);
    return false;
  }
  RecordReader reader(data_, size_);
  reader.Seek(start_);
  Record rec;
  bool units = start_ > 0;  // a later part starts after the library header
  constexpr std::size_t kStep = 16u << 20, kLag = 2u << 20;
  std::size_t next_progress = start_ + kStep, released = start_;
  for (;;) {
    const RecordReader::Status status = reader.Next(rec);
    if (status != RecordReader::Status::kRecord) {
      if (status == RecordReader::Status::kError) {
        diag_.Fail(reader.error_offset(), reader.error_record(), current_name(), reader.error());
        if (current_ != kNone) out_.structures[current_].incomplete = true;
      } else if (!out_.saw_endlib) {
        diag_.Warn(reader.offset(), "", "", "missing ENDLIB");
      }
      if (in_structure_) {
        if (!diag_.failed()) Warn(reader.offset(), 0xFF, "missing ENDSTR");
        el_.kind = -1;  // an element cut off by the end is not counted
        EndStructure();
      }
      break;
    }
    bool last = false;  // the BGNSTR that starts the next part
    if (stop_ != 0 && rec.offset >= stop_) {
      if (rec.offset != stop_ || rec.type != kBgnStr) return true;  // a false split point
      last = reached_stop_ = true;
    }
    if (!last) {
      ++out_.records;
      if (rec.size & 1) Warn(rec.offset, rec.type, "odd record length");
    }
    if (rec.offset >= next_progress) {
      if (options_.done) options_.done(released, rec.offset - kLag);
      released = rec.offset - kLag;
      next_progress = rec.offset + kStep;
    }
    if (el_.kind >= 0) {
      // Inside an element: the records that may appear there.
      switch (rec.type) {
        case kXY:
          if (el_.xy != nullptr) {
            Warn(rec.offset, kXY, "second XY record ignored");
          } else if (rec.size >= 8) {
            el_.xy = rec.data;
            el_.points = rec.size / 8;
          }
          continue;
        case kLayer:
          if (rec.size >= 2) el_.layer = rec.Number();
          continue;
        case kDatatype:
        case kTextType:
        case kNodeType:
        case kBoxType:
          if (rec.size >= 2) el_.datatype = rec.Number();
          continue;
        case kWidth:
          el_.width = rec.Int32(0);
          continue;
        case kPathType:
          el_.pathtype = rec.Int16(0);
          continue;
        case kBgnExtn:
          el_.bgnextn = rec.Int32(0);
          continue;
        case kEndExtn:
          el_.endextn = rec.Int32(0);
          continue;
        case kSName: {
          const std::string_view t = rec.Text();
          el_.sname = rec.data;
          el_.sname_size = t.size();
          el_.has_sname = true;
          continue;
        }
        case kSTrans:
          el_.reflect = (rec.UInt16(0) & 0x8000) != 0;
          continue;
        case kMag:
          if (rec.size >= 8) el_.mag = rec.Real(0).value();
          continue;
        case kAngle:
          if (rec.size >= 8) el_.angle = rec.Real(0).value();
          continue;
        case kColRow:
          if (rec.size >= 4) {
            el_.columns = rec.Int16(0);
            el_.rows = rec.Int16(1);
          }
          continue;
        case kEndEl:
          FinishElement();
          continue;
        case kPropAttr:
        case kPropValue:
        case kElFlags:
        case kPlex:
        case kPresentation:
        case kString:
          continue;
        case kEndStr:
        case kBgnStr:
        case kEndLib:
        case kBoundary:
        case kPath:
        case kSRef:
        case kARef:
        case kText:
        case kNode:
        case kBox:
          Warn(rec.offset, rec.type, "missing ENDEL");
          FinishElement();
          break;  // handled below as a record outside elements
        default:
          Warn(rec.offset, rec.type, rec.type >= 0x3C ? "unknown record skipped" : "record out of place skipped");
          continue;
      }
    }
    const int kind = KindIndex(rec.type);
    if (kind >= 0) {
      if (!in_structure_) {
        Warn(rec.offset, rec.type, "element outside a structure skipped");
        // Read it anyway so that its records do not each raise a warning.
      }
      el_ = PendingElement{};
      el_.kind = kind;
      el_.offset = rec.offset;
      if (!in_structure_) el_.kind = -1;
      continue;
    }
    switch (rec.type) {
      case kBgnStr: {
        if (!units) {
          if (!out_.header.has_units) Warn(rec.offset, kBgnStr, "missing UNITS, assuming 0.001 and 1e-9");
          units = true;
        }
        if (in_structure_) {
          Warn(rec.offset, kBgnStr, "missing ENDSTR");
          EndStructure();
        }
        if (last) return true;
        in_structure_ = true;
        // STRNAME normally follows directly.
        Record name;
        const std::uint64_t here = reader.offset();
        if (reader.Next(name) == RecordReader::Status::kRecord && name.type == kStrName) {
          ++out_.records;
          if (name.size & 1) Warn(name.offset, kStrName, "odd record length");
          BeginStructure(rec, name.Text());
        } else {
          reader.Seek(here);
          Warn(rec.offset, kBgnStr, "structure without STRNAME");
          BeginStructure(rec, "");
        }
        break;
      }
      case kEndStr:
        if (!in_structure_) Warn(rec.offset, kEndStr, "ENDSTR outside a structure");
        EndStructure();
        break;
      case kEndLib:
        out_.saw_endlib = true;
        if (in_structure_) {
          Warn(rec.offset, kEndLib, "missing ENDSTR");
          EndStructure();
        }
        if (std::any_of(data_ + reader.offset(), data_ + size_, [](std::uint8_t b) { return b != 0; }))
          diag_.Warn(reader.offset(), "", "", "data after ENDLIB ignored");
        return true;
      case kHeader:
        if (rec.offset == 0) {
          out_.header.version = rec.Int16(0);
          break;
        }
        Warn(rec.offset, rec.type, "record out of place skipped");
        break;
      case kBgnLib:
        met_library_header_ = true;
        for (std::size_t i = 0; i < 12; ++i) out_.header.dates[i] = rec.Int16(i);
        break;
      case kLibName:
        met_library_header_ = true;
        out_.header.name = std::string(rec.Text());
        break;
      case kUnits:
        met_library_header_ = true;
        if (rec.Count64() >= 2 && !out_.header.has_units) {
          out_.header.user_unit = rec.Real(0);
          out_.header.metre_unit = rec.Real(1);
          out_.header.has_units = true;
          if (out_.header.DbuPerUserUnit() <= 0 || out_.header.MetresPerUserUnit() <= 0) {
            Warn(rec.offset, kUnits, "unusable UNITS, assuming 0.001 and 1e-9");
            out_.header.user_unit = Real8::FromDouble(0.001);
            out_.header.metre_unit = Real8::FromDouble(1e-9);
          }
        } else {
          Warn(rec.offset, kUnits, "bad or repeated UNITS ignored");
        }
        break;
      case kPropAttr:
      case kPropValue:
      case kStrClass:
      case kRefLibs:
      case kFonts:
      case kAttrTable:
      case kGenerations:
      case kFormat:
      case kMask:
      case kEndMasks:
      case kLibDirSize:
      case kSrfName:
      case kLibSecur:
        break;  // metadata without a bearing on the scan
      case kStrName:
        Warn(rec.offset, rec.type, "STRNAME out of place skipped");
        break;
      default:
        Warn(rec.offset, rec.type, rec.type >= 0x3C ? "unknown record skipped" : "record out of place skipped");
        break;
    }
  }
  return true;
}

// Where to split the stream for `parts` threads: candidate BGNSTR records found by their bytes
// (a 28-byte BGNSTR followed by a STRNAME) near equal fractions of the file, without reading
// what comes before. A candidate can be a false match inside other data; the part before it
// checks that its records arrive exactly there, and the split is abandoned otherwise.
std::vector<std::size_t> SplitPoints(const std::uint8_t* data, std::size_t size, const SummaryOptions& options) {
  std::vector<std::size_t> splits;
  const unsigned parts = options.threads;
  if (parts < 2 || size / parts < options.min_part) return splits;
  static constexpr std::uint8_t kBgnStrHeader[4] = {0x00, 0x1C, kBgnStr, kInt16};
  for (unsigned k = 1; k < parts; ++k) {
    std::size_t at = std::max(size / parts * k, splits.empty() ? std::size_t{4} : splits.back() + 1);
    while (at + 32 <= size) {
      const auto* hit = static_cast<const std::uint8_t*>(std::memchr(data + at, 0x1C, size - at - 31));
      if (hit == nullptr) break;
      const std::size_t o = static_cast<std::size_t>(hit - data);
      if (o >= 1 && std::memcmp(data + o - 1, kBgnStrHeader, 4) == 0 && data[o + 29] == kStrName &&
          data[o + 30] == kAscii && LoadU16(data + o + 27) >= 4) {
        splits.push_back(o - 1);
        break;
      }
      at = o + 1;
    }
    if (splits.size() != k) break;
  }
  return splits;
}

// Appends a part's findings to `out`, in file order. False when a structure name is defined
// in two parts: the caller then reads the stream in one piece, which keeps the first.
bool MergePart(LayoutSummary& part, Diagnostics& part_diag, LayoutSummary& out, Diagnostics& diag,
               std::unordered_map<std::string, std::uint32_t, StringHash, std::equal_to<>>& names,
               std::size_t keep_per_kind) {
  std::vector<std::uint32_t> global(part.structures.size());
  const std::size_t base = out.references.size();
  for (std::size_t i = 0; i < part.structures.size(); ++i) {
    StructureSummary& s = part.structures[i];
    auto it = names.find(s.name);
    if (it == names.end()) {
      it = names.emplace(s.name, static_cast<std::uint32_t>(out.structures.size())).first;
      out.structures.emplace_back();
      out.structures.back().name = s.name;
    }
    global[i] = it->second;
    if (!s.defined) continue;
    StructureSummary& g = out.structures[it->second];
    if (g.defined) return false;
    g = std::move(s);
    g.first_reference += base;
  }
  for (Reference r : part.references) {
    r.child = global[r.child];
    out.references.push_back(r);
  }
  for (std::uint32_t i : part.listed) out.listed.push_back(global[i]);
  out.layers.InsertAll(part.layers);
  out.datatypes.InsertAll(part.datatypes);
  out.saw_endlib = part.saw_endlib;
  out.skipped_context_info |= part.skipped_context_info;
  out.records += part.records;
  diag.Append(part_diag, keep_per_kind);
  return true;
}

}  // namespace

std::vector<std::uint16_t> NumberSet::Values() const {
  std::vector<std::uint16_t> out;
  for (std::size_t w = 0; w < bits_.size(); ++w) {
    for (std::uint64_t bits = bits_[w]; bits != 0; bits &= bits - 1) {
      out.push_back(static_cast<std::uint16_t>(w * 64 + static_cast<std::size_t>(std::countr_zero(bits))));
    }
  }
  return out;
}

bool Summarize(const std::uint8_t* data, std::size_t size, Diagnostics& diagnostics, LayoutSummary& out,
               const SummaryOptions& options) {
  out = LayoutSummary{};
  const std::vector<std::size_t> splits = SplitPoints(data, size, options);
  if (!splits.empty()) {
    const std::size_t parts = splits.size() + 1;
    std::vector<LayoutSummary> summaries(parts);
    std::vector<Diagnostics> diags(parts, Diagnostics(diagnostics.keep_per_kind()));
    std::vector<char> ok(parts, 0);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < parts; ++i) {
      threads.emplace_back([&, i] {
        Summarizer s(data, size, diags[i], summaries[i], options);
        s.SetPart(i == 0 ? 0 : splits[i - 1], i + 1 < parts ? splits[i] : 0);
        ok[i] = s.Run() && (i + 1 == parts || s.reached_stop()) && (i == 0 || !s.met_library_header());
      });
    }
    for (std::thread& t : threads) t.join();
    bool merged = std::all_of(ok.begin(), ok.end(), [](char b) { return b != 0; });
    Diagnostics combined(diagnostics.keep_per_kind());
    std::unordered_map<std::string, std::uint32_t, StringHash, std::equal_to<>> names;
    out.header = summaries[0].header;
    for (std::size_t i = 0; i < parts && merged; ++i) {
      merged = MergePart(summaries[i], diags[i], out, combined, names, diagnostics.keep_per_kind());
    }
    if (merged) {
      out.parts = parts;
      diagnostics.Append(combined, diagnostics.keep_per_kind());
      return true;
    }
    out = LayoutSummary{};  // a false split point, or a name defined in two parts: one piece
  }
  Summarizer s(data, size, diagnostics, out, options);
  return s.Run();
}

}  // namespace korvex::gds
