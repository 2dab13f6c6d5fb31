#include "gds/stream_writer.h"

#include <string>

namespace korvex::gds {
namespace {

void WriteRaw(RecordWriter& out, const RawRecord& r) { out.Raw(r.type, r.data_type, r.data); }

}  // namespace

bool WriteLibraryHeader(RecordWriter& out, const LibraryHeader& h) {
  out.Int16(kHeader, h.version);
  out.Int16s(kBgnLib, h.dates);
  out.String(kLibName, h.name);
  for (const RawRecord& r : h.extra) WriteRaw(out, r);
  const Real8 units[2] = {h.user_unit, h.metre_unit};
  out.Reals(kUnits, units);
  for (const RawRecord& r : h.trailing) WriteRaw(out, r);
  return out.ok();
}

bool WriteStructureBegin(RecordWriter& out, const StructureHeader& h) {
  out.Int16s(kBgnStr, h.dates);
  out.String(kStrName, h.name);
  if (h.strclass) out.BitArray(kStrClass, *h.strclass);
  return out.ok();
}

bool WriteStructureEnd(RecordWriter& out, const StructureHeader& h) {
  for (const RawRecord& r : h.trailing) WriteRaw(out, r);
  return out.Empty(kEndStr);
}

bool WriteElement(RecordWriter& out, const Element& e) {
  out.Empty(StartRecordOf(e.kind));
  if (e.elflags) out.BitArray(kElFlags, *e.elflags);
  if (e.plex) out.Int32(kPlex, *e.plex);
  if (e.layer) out.Int16(kLayer, static_cast<std::int16_t>(*e.layer));
  if (e.datatype && TypeRecordOf(e.kind) != 0) out.Int16(TypeRecordOf(e.kind), static_cast<std::int16_t>(*e.datatype));
  if (e.has_sname) out.String(kSName, e.sname);
  if (e.presentation) out.BitArray(kPresentation, *e.presentation);
  if (e.pathtype) out.Int16(kPathType, *e.pathtype);
  if (e.width) out.Int32(kWidth, *e.width);
  if (e.bgnextn) out.Int32(kBgnExtn, *e.bgnextn);
  if (e.endextn) out.Int32(kEndExtn, *e.endextn);
  if (e.strans) out.BitArray(kSTrans, *e.strans);
  if (e.mag) out.Real(kMag, *e.mag);
  if (e.angle) out.Real(kAngle, *e.angle);
  if (e.colrow) {
    const std::int16_t cr[2] = {static_cast<std::int16_t>((*e.colrow)[0]), static_cast<std::int16_t>((*e.colrow)[1])};
    out.Int16s(kColRow, cr);
  }
  if (!e.xy.empty()) out.Points(e.xy);
  if (e.has_string) out.String(kString, e.string);
  for (const Property& p : e.properties) {
    out.Int16(kPropAttr, static_cast<std::int16_t>(p.attribute));
    out.String(kPropValue, p.value);
  }
  return out.Empty(kEndEl);
}

ElementFacts FactsOf(const Element& e) {
  ElementFacts f;
  f.kind = e.kind;
  f.layer = e.layer.has_value();
  f.type = e.datatype.has_value();
  f.name = e.has_sname && !e.sname.empty();
  f.string = e.has_string;
  f.colrow = e.colrow && (*e.colrow)[0] >= 1 && (*e.colrow)[0] < 0x8000 && (*e.colrow)[1] >= 1 && (*e.colrow)[1] < 0x8000;
  f.points = e.xy.size();
  return f;
}

const char* ElementFault(const ElementFacts& f) {
  constexpr std::size_t kMaxPoints = 8191;  // what one XY record holds
  const bool reference = f.kind == ElementKind::kSRef || f.kind == ElementKind::kARef;
  if (reference) {
    if (!f.name) return "reference without a structure name (SNAME)";
    if (f.points == 0) return "reference without XY";
    if (f.kind == ElementKind::kARef) {
      if (f.points < 3) return "AREF with fewer than 3 points";
      if (!f.colrow) return "AREF without a usable COLROW";
    }
  } else {
    if (!f.layer) return "element without a usable LAYER";
    if (!f.type) return "element without a usable type record (DATATYPE, TEXTTYPE, NODETYPE or BOXTYPE)";
    if (f.points == 0) return "element without XY";
    if (f.kind == ElementKind::kBoundary && f.points < 4) return "BOUNDARY with fewer than 4 points";
    if (f.kind == ElementKind::kText && !f.string) return "TEXT without STRING";
  }
  if (f.points > kMaxPoints) return "more points than one XY record holds (8191)";
  return nullptr;
}

bool WriteLibraryEnd(RecordWriter& out, std::size_t block) {
  out.Empty(kEndLib);
  if (block > 0) {
    const std::uint64_t rest = out.bytes_written() % block;
    if (rest != 0) out.Zeros(block - rest);
  }
  return out.Flush();
}

}  // namespace korvex::gds
