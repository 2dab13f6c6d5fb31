#include "gds/stream_reader.h"

#include <algorithm>

namespace korvex::gds {
namespace {

RawRecord Keep(const Record& rec) {
  return RawRecord{rec.type, rec.data_type, std::vector<std::uint8_t>(rec.data, rec.data + rec.size)};
}

bool IsElementStart(std::uint8_t type) {
  return type == kBoundary || type == kPath || type == kSRef || type == kARef || type == kText ||
         type == kNode || type == kBox;
}

ElementKind KindOf(std::uint8_t type) {
  switch (type) {
    case kPath: return ElementKind::kPath;
    case kSRef: return ElementKind::kSRef;
    case kARef: return ElementKind::kARef;
    case kText: return ElementKind::kText;
    case kNode: return ElementKind::kNode;
    case kBox: return ElementKind::kBox;
    default: return ElementKind::kBoundary;
  }
}

std::array<std::int16_t, 12> Dates(const Record& rec) {
  std::array<std::int16_t, 12> d{};
  for (std::size_t i = 0; i < 12; ++i) d[i] = rec.Int16(i);
  return d;
}

}  // namespace

std::string CheckSignature(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return "empty file, not GDSII";
  if (size >= 2 && data[0] == 0x1F && data[1] == 0x8B) return "gzip-compressed file, not GDSII";
  if (size < 4) return "file too short for GDSII (" + std::to_string(size) + " bytes)";
  if (data[2] != kHeader || data[3] != kInt16 || LoadU16(data) < 6)
    return "not a GDSII file (no HEADER record at the start)";
  return "";
}

StreamReader::StreamReader(const std::uint8_t* data, std::size_t size, Diagnostics& diagnostics)
    : reader_(data, size), diagnostics_(diagnostics) {}

StreamReader::Got StreamReader::Read(Record& rec) {
  if (done_) return Got::kEnd;
  switch (reader_.Next(rec)) {
    case RecordReader::Status::kRecord:
      if (rec.size & 1) Warn(rec, "odd record length");
      return Got::kRecord;
    case RecordReader::Status::kEnd:
      done_ = true;
      return Got::kEnd;
    case RecordReader::Status::kError:
      done_ = true;
      diagnostics_.Fail(reader_.error_offset(), reader_.error_record(), structure_.name, reader_.error());
      return Got::kError;
  }
  return Got::kError;
}

void StreamReader::Warn(const Record& rec, const char* message) {
  diagnostics_.Warn(rec.offset, RecordName(rec.type), in_structure_ ? structure_.name : std::string(), message);
}

bool StreamReader::ReadLibraryHeader(LibraryHeader& header) {
  header = LibraryHeader{};
  const std::string bad = CheckSignature(reader_.data(), reader_.size());
  if (!bad.empty()) {
    diagnostics_.Fail(0, "", "", bad);
    done_ = true;
    return false;
  }
  Record rec;
  bool units = false;
  for (;;) {
    const std::uint64_t at = reader_.offset();
    const Got got = Read(rec);
    if (got == Got::kError) return false;
    if (got == Got::kEnd) {
      diagnostics_.Warn(at, "", "", "missing ENDLIB");
      return true;
    }
    switch (rec.type) {
      case kHeader:
        if (at == 0) {
          header.version = rec.Int16(0);
          continue;
        }
        break;
      case kBgnLib:
        header.dates = Dates(rec);
        continue;
      case kLibName:
        header.name = std::string(rec.Text());
        continue;
      case kUnits:
        if (!units) {
          if (rec.Count64() < 2) Warn(rec, "UNITS with fewer than 2 reals");
          header.user_unit = rec.Count64() >= 1 ? rec.Real(0) : Real8::FromDouble(0.001);
          header.metre_unit = rec.Count64() >= 2 ? rec.Real(1) : Real8::FromDouble(1e-9);
          header.has_units = true;
          units = true;
          if (header.DbuPerUserUnit() <= 0 || header.MetresPerUserUnit() <= 0) Warn(rec, "unusable UNITS");
          continue;
        }
        break;
      case kBgnStr:
      case kEndLib:
        if (!units) Warn(rec, "missing UNITS, assuming 0.001 and 1e-9");
        reader_.Seek(rec.offset);
        return true;
      default:
        break;
    }
    (units ? header.trailing : header.extra).push_back(Keep(rec));
  }
}

bool StreamReader::NextStructure() {
  if (in_structure_) SkipStructure();
  Record rec;
  for (;;) {
    const std::uint64_t at = reader_.offset();
    const Got got = Read(rec);
    if (got == Got::kError) return false;
    if (got == Got::kEnd) {
      if (!saw_endlib_) diagnostics_.Warn(at, "", "", "missing ENDLIB");
      return false;
    }
    if (rec.type == kEndLib) {
      saw_endlib_ = true;
      done_ = true;
      const std::uint8_t* rest = reader_.data() + reader_.offset();
      const std::uint8_t* end = reader_.data() + reader_.size();
      if (std::any_of(rest, end, [](std::uint8_t b) { return b != 0; }))
        diagnostics_.Warn(reader_.offset(), "", "", "data after ENDLIB ignored");
      return false;
    }
    if (rec.type != kBgnStr) {
      Warn(rec, "record outside a structure skipped");
      continue;
    }
    structure_ = StructureHeader{};
    structure_.offset = rec.offset;
    structure_.dates = Dates(rec);
    in_structure_ = true;
    // STRNAME (and STRCLASS) follow; anything else ends the header.
    for (;;) {
      const std::uint64_t here = reader_.offset();
      const Got g = Read(rec);
      if (g != Got::kRecord) return g == Got::kEnd;
      if (rec.type == kStrName && structure_.name.empty()) {
        structure_.name = std::string(rec.Text());
        if (structure_.name.empty()) Warn(rec, "empty structure name");
      } else if (rec.type == kStrClass && !structure_.strclass) {
        structure_.strclass = rec.UInt16(0);
      } else {
        reader_.Seek(here);
        break;
      }
    }
    return true;
  }
}

void StreamReader::SkipStructure() {
  Record rec;
  while (in_structure_) {
    if (Read(rec) != Got::kRecord) {
      in_structure_ = false;
      return;
    }
    if (rec.type == kEndStr) in_structure_ = false;
    if (rec.type == kBgnStr || rec.type == kEndLib) {
      reader_.Seek(rec.offset);
      Warn(rec, "missing ENDSTR");
      in_structure_ = false;
    }
  }
}

void StreamReader::Seek(std::uint64_t offset) {
  reader_.Seek(offset);
  in_structure_ = false;
  done_ = false;
}

bool StreamReader::NextElement(Element& element) {
  Record rec;
  while (in_structure_) {
    if (Read(rec) != Got::kRecord) {
      in_structure_ = false;
      if (!failed()) diagnostics_.Warn(reader_.offset(), "", structure_.name, "missing ENDSTR");
      return false;
    }
    if (rec.type == kEndStr) {
      in_structure_ = false;
      return false;
    }
    if (rec.type == kBgnStr || rec.type == kEndLib) {
      Warn(rec, "missing ENDSTR");
      reader_.Seek(rec.offset);
      in_structure_ = false;
      return false;
    }
    if (IsElementStart(rec.type)) {
      element.Clear();
      element.kind = KindOf(rec.type);
      element.offset = rec.offset;
      return ReadElementBody(element) || !failed();
    }
    if (rec.type != kPropAttr && rec.type != kPropValue) Warn(rec, "record between elements kept");
    structure_.trailing.push_back(Keep(rec));
  }
  return false;
}

// Reads up to ENDEL. False when the element ended without one (the end of the data).
bool StreamReader::ReadElementBody(Element& e) {
  Record rec;
  for (;;) {
    const Got got = Read(rec);
    if (got != Got::kRecord) {
      if (got == Got::kEnd) diagnostics_.Warn(reader_.offset(), "", structure_.name, "missing ENDEL");
      in_structure_ = false;
      return false;
    }
    switch (rec.type) {
      case kEndEl:
        return true;
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
        Warn(rec, "missing ENDEL");
        reader_.Seek(rec.offset);
        return true;
      case kXY:
        if (!e.xy.empty()) Warn(rec, "second XY record joined to the first");
        for (std::size_t i = 0; i + 1 < rec.Count32(); i += 2) e.xy.push_back({rec.Int32(i), rec.Int32(i + 1)});
        if (rec.size % 8) Warn(rec, "XY payload not a whole number of points");
        break;
      case kPropAttr:
        e.properties.push_back({rec.UInt16(0), {}});
        break;
      case kPropValue:
        if (e.properties.empty() || !e.properties.back().value.empty()) {
          Warn(rec, "PROPVALUE without PROPATTR kept");
          e.extra.push_back(Keep(rec));
        } else {
          e.properties.back().value = std::string(rec.TextKeepInnerNul());
        }
        break;
      default:
        SetScalar(e, rec);
        break;
    }
  }
}

void StreamReader::SetScalar(Element& e, const Record& rec) {
  const bool reference = e.kind == ElementKind::kSRef || e.kind == ElementKind::kARef;
  const std::size_t need = ExpectedDataType(rec.type) == kReal8 ? 8 : ExpectedDataType(rec.type) == kInt32 ? 4 : 2;
  bool taken = false;
  if (rec.size >= need) {
    switch (rec.type) {
      case kElFlags:
        if (!e.elflags) { e.elflags = rec.UInt16(0); taken = true; }
        break;
      case kPlex:
        if (!e.plex) { e.plex = rec.Int32(0); taken = true; }
        break;
      case kLayer:
        if (!reference && !e.layer && (rec.data_type == kInt16 || rec.data_type == kInt32)) {
          e.layer = rec.Number();  // a 4-byte LAYER is written back as a 2-byte one
          taken = true;
        }
        break;
      case kDatatype:
      case kTextType:
      case kNodeType:
      case kBoxType:
        if (rec.type == TypeRecordOf(e.kind) && !e.datatype && (rec.data_type == kInt16 || rec.data_type == kInt32)) {
          e.datatype = rec.Number();
          taken = true;
        }
        break;
      case kPathType:
        if (!e.pathtype) { e.pathtype = rec.Int16(0); taken = true; }
        break;
      case kWidth:
        if (!e.width) { e.width = rec.Int32(0); taken = true; }
        break;
      case kBgnExtn:
        if (!e.bgnextn) { e.bgnextn = rec.Int32(0); taken = true; }
        break;
      case kEndExtn:
        if (!e.endextn) { e.endextn = rec.Int32(0); taken = true; }
        break;
      case kSTrans:
        if (!e.strans) { e.strans = rec.UInt16(0); taken = true; }
        break;
      case kMag:
        if (!e.mag) { e.mag = rec.Real(0); taken = true; }
        break;
      case kAngle:
        if (!e.angle) { e.angle = rec.Real(0); taken = true; }
        break;
      case kColRow:
        if (!e.colrow && rec.Count16() >= 2) { e.colrow = std::array<std::uint16_t, 2>{rec.UInt16(0), rec.UInt16(1)}; taken = true; }
        break;
      case kPresentation:
        if (!e.presentation) { e.presentation = rec.UInt16(0); taken = true; }
        break;
      default:
        break;
    }
  }
  if (rec.type == kSName && !e.has_sname && rec.data_type == kAscii) {
    e.has_sname = true;
    e.sname = std::string(rec.Text());
    taken = true;
  } else if (rec.type == kString && !e.has_string && rec.data_type == kAscii) {
    e.has_string = true;
    e.string = std::string(rec.TextKeepInnerNul());
    taken = true;
  }
  // A value of the right kind but the wrong size (e.g. PATHTYPE with four bytes) is kept too.
  if (taken && rec.size != need && rec.type != kSName && rec.type != kString && rec.type != kColRow &&
      !(rec.data_type == kInt32 && rec.size == 4)) {
    Warn(rec, "record longer than its value");
  }
  if (!taken) {
    const int expected = ExpectedDataType(rec.type);
    if (expected < 0 && rec.type >= 0x3C) Warn(rec, "unknown record kept");
    else Warn(rec, "record out of place kept");
    e.extra.push_back(Keep(rec));
  }
}

}  // namespace korvex::gds
