#include "gds/stream_reader.h"

#include <algorithm>

namespace korvex::gds {
namespace {

RawRecord Keep(const Record& rec) {
  return RawRecord{rec.type, rec.data_type, std::vector<std::uint8_t>(rec.data, rec.data + rec.size)};
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
    ElementKind kind;
    if (ElementKindOfStart(rec.type, kind)) {
      element.Clear();
      element.kind = kind;
      element.offset = rec.offset;
      return ReadElementBody(element) || !failed();
    }
    if (rec.type != kPropAttr && rec.type != kPropValue) Warn(rec, "record between elements kept");
    structure_.trailing.push_back(Keep(rec));
  }
  return false;
}

bool StreamReader::ReadElementAt(std::uint64_t offset, Element& element) {
  Seek(offset);
  in_structure_ = true;
  return NextElement(element) && element.offset == offset;
}

// Reads up to ENDEL. False when the element ended without one (the end of the data).
bool StreamReader::ReadElementBody(Element& e) {
  Record rec;
  grammar_.Start(e.kind);
  for (;;) {
    const Got got = Read(rec);
    if (got != Got::kRecord) {
      if (got == Got::kEnd) diagnostics_.Warn(reader_.offset(), "", structure_.name, ElementNoteText(ElementNote::kMissingEndel));
      in_structure_ = false;
      return false;
    }
    const ElementVerdict v = grammar_.Classify(rec);
    if (v.note != ElementNote::kNone) Warn(rec, ElementNoteText(v.note));
    switch (v.role) {
      case ElementRole::kEnd:
        return true;
      case ElementRole::kCutOff:
        reader_.Seek(rec.offset);
        return true;
      case ElementRole::kValue:
        SetValue(e, rec);
        break;
      case ElementRole::kMoreXY:
        AddPoints(e, rec);
        break;
      case ElementRole::kProperty:
        if (rec.type == kPropAttr) e.properties.push_back({rec.UInt16(0), {}});
        else e.properties.back().value = std::string(rec.TextKeepInnerNul());
        break;
      case ElementRole::kDuplicate:
      case ElementRole::kDamaged:
      case ElementRole::kOutOfPlace:
      case ElementRole::kUnknown:
        e.extra.push_back(Keep(rec));  // for the caller to see; not written back
        break;
    }
  }
}

void StreamReader::AddPoints(Element& e, const Record& rec) {
  for (std::size_t i = 0; i + 1 < rec.Count32(); i += 2) e.xy.push_back({rec.Int32(i), rec.Int32(i + 1)});
}

// A record the grammar found usable as the first of its kind in this element.
void StreamReader::SetValue(Element& e, const Record& rec) {
  switch (rec.type) {
    case kXY: AddPoints(e, rec); break;
    case kElFlags: e.elflags = rec.UInt16(0); break;
    case kPlex: e.plex = rec.Int32(0); break;
    case kLayer: e.layer = rec.Number(); break;  // a 4-byte LAYER is written back as a 2-byte one
    case kDatatype:
    case kTextType:
    case kNodeType:
    case kBoxType: e.datatype = rec.Number(); break;
    case kPathType: e.pathtype = static_cast<std::int16_t>(rec.Number()); break;
    case kWidth: e.width = rec.Int32(0); break;
    case kBgnExtn: e.bgnextn = rec.Int32(0); break;
    case kEndExtn: e.endextn = rec.Int32(0); break;
    case kSTrans: e.strans = rec.UInt16(0); break;
    case kMag: e.mag = rec.Real(0); break;
    case kAngle: e.angle = rec.Real(0); break;
    case kColRow: e.colrow = std::array<std::uint16_t, 2>{rec.UInt16(0), rec.UInt16(1)}; break;
    case kPresentation: e.presentation = rec.UInt16(0); break;
    case kSName:
      e.has_sname = true;
      e.sname = std::string(rec.Text());
      break;
    case kString:
      e.has_string = true;
      e.string = std::string(rec.TextKeepInnerNul());
      break;
    default: break;
  }
}

}  // namespace korvex::gds
