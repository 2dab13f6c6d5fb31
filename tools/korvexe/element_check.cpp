#include "korvexe/element_check.h"

#include <cmath>

#include "korvexe/structure_names.h"

namespace korvex::engine {
namespace {

// A value the element grammar lets the element take (the first usable one of its kind).
void Note(const gds::Record& r, ElementRecords& e) {
  switch (r.type) {
    case gds::kLayer:
      e.fields.layer = r.Number();
      e.facts.layer = true;
      e.layer_at = r.offset;
      break;
    case gds::kDatatype:
    case gds::kTextType:
    case gds::kNodeType:
    case gds::kBoxType:
      e.fields.datatype = r.Number();
      e.facts.type = true;
      e.datatype_at = r.offset;
      break;
    case gds::kWidth:
      e.fields.width = r.Int32(0);
      e.width_at = r.offset;
      break;
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

ElementRecords ReadElementRecords(gds::RecordReader& reader, const gds::Record& start, gds::ElementKind kind,
                                  gds::ElementGrammar& grammar, bool known_as_written) {
  ElementRecords e;
  e.facts.kind = kind;
  e.fields.kind = kind;
  e.end = reader.offset();
  if (known_as_written) {
    gds::Record rec;
    while (reader.Next(rec) == gds::RecordReader::Status::kRecord) {
      e.end = reader.offset();
      if (rec.type == gds::kEndEl) return e;
      if (rec.type != gds::kPropAttr && rec.type != gds::kPropValue) Note(rec, e);
    }
    e.as_written = false;  // the data ended: not as the index pass saw it
    return e;
  }
  grammar.Start(kind);
  gds::AsWrittenCheck check;
  check.Start(start);
  gds::Record rec;
  const gds::Record* ending = nullptr;
  while (reader.Next(rec) == gds::RecordReader::Status::kRecord) {
    const gds::ElementVerdict v = grammar.Classify(rec);
    if (v.role == gds::ElementRole::kEnd) {
      ending = &rec;  // one with data is written anew with a proper ENDEL
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
    check.Add(rec, v);
  }
  e.as_written = check.Finish(ending);
  return e;
}

bool PatchedElement(const std::uint8_t* data, std::uint64_t begin, const ElementRecords& e, const ShapeFields& changed,
                    std::vector<std::uint8_t>& bytes) {
  const auto differs = [](const auto& a, const auto& b) { return a.has_value() && a != b; };
  if ((differs(changed.layer, e.fields.layer) && e.layer_at == 0) ||
      (differs(changed.datatype, e.fields.datatype) && e.datatype_at == 0) ||
      (differs(changed.width, e.fields.width) && e.width_at == 0))
    return false;
  bytes.assign(data + begin, data + e.end);
  // As written, each of these records holds exactly its value after the 4-byte header.
  const auto put16 = [&](std::uint64_t at, std::uint16_t v) {
    bytes[at - begin + 4] = static_cast<std::uint8_t>(v >> 8);
    bytes[at - begin + 5] = static_cast<std::uint8_t>(v);
  };
  if (differs(changed.layer, e.fields.layer)) put16(e.layer_at, *changed.layer);
  if (differs(changed.datatype, e.fields.datatype)) put16(e.datatype_at, *changed.datatype);
  if (differs(changed.width, e.fields.width)) {
    const auto w = static_cast<std::uint32_t>(*changed.width);
    put16(e.width_at, static_cast<std::uint16_t>(w >> 16));
    bytes[e.width_at - begin + 6] = static_cast<std::uint8_t>(w >> 8);
    bytes[e.width_at - begin + 7] = static_cast<std::uint8_t>(w);
  }
  return true;
}

bool ElementAsWritten(const std::uint8_t* data, std::size_t size, std::uint64_t offset) {
  gds::RecordReader reader(data, size);
  reader.Seek(offset);
  gds::Record start;
  gds::ElementKind kind;
  if (reader.Next(start) != gds::RecordReader::Status::kRecord || !gds::ElementKindOfStart(start.type, kind))
    return false;
  gds::ElementGrammar grammar;
  const ElementRecords e = ReadElementRecords(reader, start, kind, grammar);
  return e.as_written && gds::ElementFault(e.facts) == nullptr;
}

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
