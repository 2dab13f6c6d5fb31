// A small library whose only LAYER of one boundary is stored as an 8-byte real and whose only
// XY of another is stored as 2-byte integers, beside a good boundary on layer 1. Such records
// are damage: every reader reports them with their offset and none reads them as values.
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "gds/element.h"
#include "gds/hand_made_stream.h"
#include "gds/record_writer.h"
#include "gds/stream_writer.h"

namespace korvex::gds::testing {

struct MistypedLibrary {
  std::vector<std::uint8_t> bytes;
  std::uint64_t real_layer = 0;  // offset of the LAYER stored as a real
  std::uint64_t short_xy = 0;    // offset of the XY stored as 2-byte integers
};

inline MistypedLibrary MistypedRecordsLibrary() {
  MistypedLibrary lib;
  MemorySink sink;
  {
    RecordWriter w(sink);
    const StructureHeader s = BeginLibraryAndStructure(w, "MISTYPED", "TOP");
    const std::vector<Point> square{{0, 0}, {10, 0}, {10, 10}, {0, 0}};
    w.Empty(kBoundary);
    w.Int16(kLayer, 1);
    w.Int16(kDatatype, 0);
    w.Points(square);
    w.Empty(kEndEl);

    w.Empty(kBoundary);
    lib.real_layer = w.bytes_written();
    w.Real(kLayer, Real8::FromDouble(2.0));  // its bytes read as a 2-byte number: 16640
    w.Int16(kDatatype, 0);
    w.Points(square);
    w.Empty(kEndEl);

    w.Empty(kBoundary);
    w.Int16(kLayer, 3);
    w.Int16(kDatatype, 0);
    lib.short_xy = w.bytes_written();
    w.Int16s(kXY, std::array<std::int16_t, 8>{0, 0, 10, 0, 10, 10, 0, 0});
    w.Empty(kEndEl);
    WriteStructureEnd(w, s);
    WriteLibraryEnd(w);
  }
  lib.bytes = sink.bytes;
  return lib;
}

inline MistypedLibrary WriteMistypedRecordsLibrary(const std::string& path) {
  MistypedLibrary lib = MistypedRecordsLibrary();
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(lib.bytes.data()),
                                              static_cast<std::streamsize>(lib.bytes.size()));
  return lib;
}

}  // namespace korvex::gds::testing
