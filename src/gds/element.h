// The library, structure and element level of a stream: what each holds, every record kept.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "gds/geometry.h"
#include "gds/real8.h"

namespace korvex::gds {

// A record kept as it was read, for records this level does not interpret.
struct RawRecord {
  std::uint8_t type = 0;
  std::uint8_t data_type = 0;
  std::vector<std::uint8_t> data;
  bool operator==(const RawRecord&) const = default;
};

struct LibraryHeader {
  std::int16_t version = 600;
  std::array<std::int16_t, 12> dates{};  // last modification y,m,d,h,min,s, then last access
  std::string name;
  Real8 user_unit = Real8::FromDouble(0.001);  // size of a dbu in user units
  Real8 metre_unit = Real8::FromDouble(1e-9);  // size of a dbu in metres
  bool has_units = false;
  // Other header records (REFLIBS, FONTS, FORMAT, ...), written back before UNITS.
  std::vector<RawRecord> extra;
  // Records between UNITS and the first structure (library properties), written after UNITS.
  std::vector<RawRecord> trailing;

  // Database units per user unit, rounded to the nearest integer (0 for unusable units).
  std::int64_t DbuPerUserUnit() const;
  // The size of one user unit in metres (0 for unusable units).
  double MetresPerUserUnit() const;
  bool operator==(const LibraryHeader&) const = default;
};

struct StructureHeader {
  std::uint64_t offset = 0;  // of BGNSTR
  std::array<std::int16_t, 12> dates{};  // creation, then last modification
  std::string name;
  std::optional<std::uint16_t> strclass;
  // Records met between elements (structure properties, unknown records), written back just
  // before ENDSTR.
  std::vector<RawRecord> trailing;
  bool SameContent(const StructureHeader& o) const {
    return dates == o.dates && name == o.name && strclass == o.strclass && trailing == o.trailing;
  }
};

enum class ElementKind : std::uint8_t { kBoundary, kPath, kSRef, kARef, kText, kNode, kBox };

const char* ElementKindName(ElementKind kind);
// The record that starts an element of this kind (BOUNDARY, PATH, ...).
std::uint8_t StartRecordOf(ElementKind kind);
// The record holding the second number of the layer pair: DATATYPE, TEXTTYPE, NODETYPE or
// BOXTYPE; 0 for references.
std::uint8_t TypeRecordOf(ElementKind kind);

// The points one XY record holds.
inline constexpr std::size_t kMaxXYPoints = 8191;

struct Property {
  std::uint16_t attribute = 0;
  std::string value;
  bool operator==(const Property&) const = default;
};

// One element with every record it carries. Optional records that were absent stay empty and
// are not written back.
struct Element {
  ElementKind kind = ElementKind::kBoundary;
  std::uint64_t offset = 0;  // of the start record, when read from a stream
  std::optional<std::uint16_t> elflags;
  std::optional<std::int32_t> plex;
  std::optional<std::uint16_t> layer;
  std::optional<std::uint16_t> datatype;  // DATATYPE, TEXTTYPE, NODETYPE or BOXTYPE by kind
  std::optional<std::int16_t> pathtype;
  std::optional<std::int32_t> width;
  std::optional<std::int32_t> bgnextn;
  std::optional<std::int32_t> endextn;
  bool has_sname = false;
  std::string sname;
  std::optional<std::uint16_t> strans;
  std::optional<Real8> mag;
  std::optional<Real8> angle;
  std::optional<std::array<std::uint16_t, 2>> colrow;  // columns, rows
  std::optional<std::uint16_t> presentation;
  bool has_string = false;
  std::string string;
  std::vector<Point> xy;
  std::vector<Property> properties;
  // Records read with the element but not used (repeated, damaged, out of place, unknown);
  // never written back.
  std::vector<RawRecord> extra;

  // Empties every field and keeps the allocated capacity for the next element.
  void Clear();
  // Equal in everything but the offset.
  bool SameContent(const Element& other) const;

  bool reflected() const { return strans && (*strans & 0x8000); }
  double magnification() const { return mag ? mag->value() : 1.0; }
  double angle_degrees() const { return angle ? angle->value() : 0.0; }
};

}  // namespace korvex::gds
