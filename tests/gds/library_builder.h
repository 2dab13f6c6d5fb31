// A library written structure by structure, for tests that need a few placed shapes:
// LibraryBuilder().Structure("A").Rect(...).Structure("TOP").Ref("A", ...).Bytes().
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gds/element.h"
#include "gds/record_writer.h"
#include "gds/stream_writer.h"

namespace korvex::gds::testing {

class LibraryBuilder {
 public:
  LibraryBuilder() : writer_(sink_) {
    LibraryHeader lib;
    lib.name = "LIB";
    WriteLibraryHeader(writer_, lib);
  }
  LibraryBuilder& Structure(const std::string& name) {
    if (open_) WriteStructureEnd(writer_, header_);
    header_ = StructureHeader{};
    header_.name = name;
    WriteStructureBegin(writer_, header_);
    open_ = true;
    return *this;
  }
  LibraryBuilder& Rect(std::uint16_t layer, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) {
    Element e;
    e.layer = layer;
    e.datatype = 0;
    e.xy = {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}, {x0, y0}};
    return Add(e);
  }
  LibraryBuilder& Ref(const std::string& name, Point at, bool reflect = false, double mag = 1, double angle = 0) {
    Element e;
    e.kind = ElementKind::kSRef;
    e.has_sname = true;
    e.sname = name;
    if (reflect || mag != 1 || angle != 0) e.strans = reflect ? 0x8000 : 0;
    if (mag != 1) e.mag = Real8::FromDouble(mag);
    if (angle != 0) e.angle = Real8::FromDouble(angle);
    e.xy = {at};
    return Add(e);
  }
  LibraryBuilder& Add(const Element& e) {
    WriteElement(writer_, e);
    return *this;
  }
  std::vector<std::uint8_t> Bytes() {
    if (open_) WriteStructureEnd(writer_, header_);
    open_ = false;
    WriteLibraryEnd(writer_);
    return sink_.bytes;
  }

 private:
  MemorySink sink_;
  RecordWriter writer_;
  StructureHeader header_;
  bool open_ = false;
};

}  // namespace korvex::gds::testing
