#include "gds/element.h"

#include <cmath>

#include "gds/record.h"

namespace korvex::gds {

std::int64_t LibraryHeader::DbuPerUserUnit() const {
  const double u0 = user_unit.value();
  if (!(u0 > 0) || !std::isfinite(1.0 / u0)) return 0;
  return std::llround(1.0 / u0);
}

double LibraryHeader::MetresPerUserUnit() const {
  const double u0 = user_unit.value(), u1 = metre_unit.value();
  if (!(u0 > 0) || !(u1 > 0)) return 0;
  return u1 / u0;
}

const char* ElementKindName(ElementKind kind) {
  switch (kind) {
    case ElementKind::kBoundary: return "BOUNDARY";
    case ElementKind::kPath: return "PATH";
    case ElementKind::kSRef: return "SREF";
    case ElementKind::kARef: return "AREF";
    case ElementKind::kText: return "TEXT";
    case ElementKind::kNode: return "NODE";
    case ElementKind::kBox: return "BOX";
  }
  return "?";
}

std::uint8_t StartRecordOf(ElementKind kind) {
  switch (kind) {
    case ElementKind::kBoundary: return kBoundary;
    case ElementKind::kPath: return kPath;
    case ElementKind::kSRef: return kSRef;
    case ElementKind::kARef: return kARef;
    case ElementKind::kText: return kText;
    case ElementKind::kNode: return kNode;
    case ElementKind::kBox: return kBox;
  }
  return kBoundary;
}

std::uint8_t TypeRecordOf(ElementKind kind) {
  switch (kind) {
    case ElementKind::kBoundary:
    case ElementKind::kPath: return kDatatype;
    case ElementKind::kText: return kTextType;
    case ElementKind::kNode: return kNodeType;
    case ElementKind::kBox: return kBoxType;
    default: return 0;
  }
}

void Element::Clear() {
  kind = ElementKind::kBoundary;
  offset = 0;
  elflags.reset();
  plex.reset();
  layer.reset();
  datatype.reset();
  pathtype.reset();
  width.reset();
  bgnextn.reset();
  endextn.reset();
  has_sname = false;
  sname.clear();
  strans.reset();
  mag.reset();
  angle.reset();
  colrow.reset();
  presentation.reset();
  has_string = false;
  string.clear();
  xy.clear();
  properties.clear();
  extra.clear();
}

bool Element::SameContent(const Element& o) const {
  return kind == o.kind && elflags == o.elflags && plex == o.plex && layer == o.layer &&
         datatype == o.datatype && pathtype == o.pathtype && width == o.width &&
         bgnextn == o.bgnextn && endextn == o.endextn && has_sname == o.has_sname &&
         sname == o.sname && strans == o.strans && mag == o.mag && angle == o.angle &&
         colrow == o.colrow && presentation == o.presentation && has_string == o.has_string &&
         string == o.string && xy == o.xy && properties == o.properties && extra == o.extra;
}

}  // namespace korvex::gds
