#include "gds/record.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace korvex::gds {
namespace {

struct TypeInfo {
  const char* name;
  int data_type;
};

constexpr std::array<TypeInfo, 0x3C> kTypes = {{
    {"HEADER", kInt16},       {"BGNLIB", kInt16},     {"LIBNAME", kAscii},    {"UNITS", kReal8},
    {"ENDLIB", kNoData},      {"BGNSTR", kInt16},     {"STRNAME", kAscii},    {"ENDSTR", kNoData},
    {"BOUNDARY", kNoData},    {"PATH", kNoData},      {"SREF", kNoData},      {"AREF", kNoData},
    {"TEXT", kNoData},        {"LAYER", kInt16},      {"DATATYPE", kInt16},   {"WIDTH", kInt32},
    {"XY", kInt32},           {"ENDEL", kNoData},     {"SNAME", kAscii},      {"COLROW", kInt16},
    {"TEXTNODE", kNoData},    {"NODE", kNoData},      {"TEXTTYPE", kInt16},   {"PRESENTATION", kBitArray},
    {"SPACING", -1},          {"STRING", kAscii},     {"STRANS", kBitArray},  {"MAG", kReal8},
    {"ANGLE", kReal8},        {"UINTEGER", -1},       {"USTRING", -1},        {"REFLIBS", kAscii},
    {"FONTS", kAscii},        {"PATHTYPE", kInt16},   {"GENERATIONS", kInt16}, {"ATTRTABLE", kAscii},
    {"STYPTABLE", kAscii},    {"STRTYPE", kInt16},    {"ELFLAGS", kBitArray}, {"ELKEY", kInt32},
    {"LINKTYPE", -1},         {"LINKKEYS", -1},       {"NODETYPE", kInt16},   {"PROPATTR", kInt16},
    {"PROPVALUE", kAscii},    {"BOX", kNoData},       {"BOXTYPE", kInt16},    {"PLEX", kInt32},
    {"BGNEXTN", kInt32},      {"ENDEXTN", kInt32},    {"TAPENUM", kInt16},    {"TAPECODE", kInt16},
    {"STRCLASS", kBitArray},  {"RESERVED", kInt32},   {"FORMAT", kInt16},     {"MASK", kAscii},
    {"ENDMASKS", kNoData},    {"LIBDIRSIZE", kInt16}, {"SRFNAME", kAscii},    {"LIBSECUR", kInt16},
}};

}  // namespace

std::string RecordName(std::uint8_t type) {
  if (type < kTypes.size()) return kTypes[type].name;
  char buf[24];
  std::snprintf(buf, sizeof buf, "RECORD 0x%02X", type);
  return buf;
}

int ExpectedDataType(std::uint8_t type) { return type < kTypes.size() ? kTypes[type].data_type : -1; }

std::string_view Record::Text() const {
  if (size == 0) return {};
  const auto* p = static_cast<const std::uint8_t*>(std::memchr(data, 0, size));
  const std::size_t n = p ? static_cast<std::size_t>(p - data) : size;
  return {reinterpret_cast<const char*>(data), n};
}

std::string_view Record::TextKeepInnerNul() const {
  std::size_t n = size;
  while (n > 0 && data[n - 1] == 0) --n;
  return {reinterpret_cast<const char*>(data), n};
}

}  // namespace korvex::gds
