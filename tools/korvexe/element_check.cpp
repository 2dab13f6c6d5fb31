#include "korvexe/element_check.h"

#include <cmath>

#include "korvexe/structure_names.h"

namespace korvex::engine {
namespace {

// The place of each record in an element as the format orders them (0: none there).
int Rank(std::uint8_t type) {
  switch (type) {
    case gds::kElFlags: return 1;
    case gds::kPlex: return 2;
    case gds::kLayer:
    case gds::kSName: return 3;
    case gds::kDatatype:
    case gds::kTextType:
    case gds::kNodeType:
    case gds::kBoxType: return 4;
    case gds::kPresentation: return 5;
    case gds::kPathType: return 6;
    case gds::kWidth: return 7;
    case gds::kBgnExtn: return 8;
    case gds::kEndExtn: return 9;
    case gds::kSTrans: return 10;
    case gds::kMag: return 11;
    case gds::kAngle: return 12;
    case gds::kColRow: return 13;
    case gds::kXY: return 14;
    case gds::kString: return 15;
    case gds::kPropAttr:
    case gds::kPropValue: return 16;
    default: return 0;
  }
}

// A value the element grammar lets the element take (the first usable one of its kind).
void Note(const gds::Record& r, ElementRecords& e) {
  switch (r.type) {
    case gds::kLayer:
      e.fields.layer = r.Number();
      e.facts.layer = true;
      break;
    case gds::kDatatype:
    case gds::kTextType:
    case gds::kNodeType:
    case gds::kBoxType:
      e.fields.datatype = r.Number();
      e.facts.type = true;
      break;
    case gds::kWidth: e.fields.width = r.Int32(0); break;
    case gds::kMag: {
      const double m = r.Real(0).value();
      if (std::isfinite(m)) e.fields.mag = m;
      break;
    }
    case gds::kSName: e.facts.name = !r.Text().empty(); break;
    case gds::kString: e.facts.string = true; break;
    case gds::kColRow: e.facts.colrow = r.Int16(0) >= 1 && r.Int16(1) >= 1; break;
    case gds::kXY: e.facts.points += r.size / 8; break;
    default: break;
  }
}

// Records between elements that the index pass reads as library metadata without a word:
// the engine says itself that it leaves them out.
bool SilentInIndexPass(std::uint8_t type) {
  switch (type) {
    case gds::kBgnLib:
    case gds::kLibName:
    case gds::kStrClass:
    case gds::kRefLibs:
    case gds::kFonts:
    case gds::kAttrTable:
    case gds::kGenerations:
    case gds::kFormat:
    case gds::kMask:
    case gds::kEndMasks:
    case gds::kLibDirSize:
    case gds::kSrfName:
    case gds::kLibSecur: return true;
    default: return false;
  }
}

}  // namespace

ElementRecords ReadElementRecords(gds::RecordReader& reader, gds::ElementKind kind, gds::ElementGrammar& grammar) {
  ElementRecords e;
  e.facts.kind = kind;
  e.fields.kind = kind;
  e.end = reader.offset();
  grammar.Start(kind);
  gds::Record rec;
  int rank = 0;
  bool open_attr = false;
  bool ended = false;
  while (reader.Next(rec) == gds::RecordReader::Status::kRecord) {
    const gds::ElementVerdict v = grammar.Classify(rec);
    if (v.role == gds::ElementRole::kEnd) {
      ended = rec.data_type == gds::kNoData && rec.size == 0;  // else written anew with a proper ENDEL
      e.end = reader.offset();
      break;
    }
    if (v.role == gds::ElementRole::kCutOff) {
      reader.Seek(rec.offset);  // the next element or the end of the structure
      e.end = rec.offset;
      break;
    }
    e.end = reader.offset();
    if (v.role == gds::ElementRole::kValue || v.role == gds::ElementRole::kMoreXY) Note(rec, e);
    const int r = Rank(rec.type);
    const bool in_order = r >= rank && !(r == rank && r != 16);
    const bool paired = rec.type == gds::kPropValue ? open_attr : !open_attr;
    open_attr = rec.type == gds::kPropAttr;
    e.as_written = e.as_written && in_order && paired && v.note == gds::ElementNote::kNone &&
                   (v.role == gds::ElementRole::kValue || v.role == gds::ElementRole::kProperty) &&
                   rec.data_type == gds::ExpectedDataType(rec.type);
    rank = r;
  }
  e.as_written = e.as_written && ended && !open_attr;
  return e;
}

bool ElementAsWritten(const std::uint8_t* data, std::size_t size, std::uint64_t offset) {
  gds::RecordReader reader(data, size);
  reader.Seek(offset);
  gds::Record start;
  gds::ElementKind kind;
  if (reader.Next(start) != gds::RecordReader::Status::kRecord || !gds::ElementKindOfStart(start.type, kind) ||
      !StartAsWritten(start))
    return false;
  gds::ElementGrammar grammar;
  const ElementRecords e = ReadElementRecords(reader, kind, grammar);
  return e.as_written && gds::ElementFault(e.facts) == nullptr;
}

bool StartAsWritten(const gds::Record& start) { return start.data_type == gds::kNoData && start.size == 0; }

bool KeptBetweenElements(std::uint8_t type) { return type == gds::kPropAttr || type == gds::kPropValue; }

std::uint64_t LogLeftOut(const std::vector<LeftOut>& left_out, const std::string& structure, EngineLog& log) {
  std::uint64_t elements = 0;
  for (const LeftOut& l : left_out) {
    if (l.why != nullptr) {
      ++elements;
      log.Warning(ElementPlace(structure, l.offset) + " (" + gds::RecordName(l.record) + ") not written: " + l.why,
                  "element not written");
    } else if (SilentInIndexPass(l.record)) {
      log.Warning("structure " + Shown(structure) + ": " + gds::RecordName(l.record) + " at offset " +
                      std::to_string(l.offset) + " between elements not written",
                  "record between elements");
    }
  }
  return elements;
}

}  // namespace korvex::engine
