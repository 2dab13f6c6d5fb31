// One small library whose elements break the element grammar in every way a reader must
// agree on: repeated LAYER, DATATYPE, WIDTH and MAG records, a LAYER stored as an 8-byte
// real, an XY split over two records and a record type the format does not define. The
// scanner, the engine and the viewer tests all read this same file.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "gds/element.h"
#include "gds/hand_made_stream.h"
#include "gds/record_writer.h"
#include "gds/stream_writer.h"

namespace korvex::gds::testing {

// Structure ODD holds:
// - a BOUNDARY on layer 5, datatype 2 (then LAYER 7, DATATYPE 9 repeated, a LAYER as a real),
//   its points (0,0) (1000,0) (1000,1000) in one XY record and (-500,2000) (0,0) in a second,
//   with an unknown record 0x5A between them;
// - a PATH on layer 5, datatype 0, WIDTH 100 then WIDTH 5000, from (0,3000) to (1000,3000);
// - a TEXT on layer 6, type 0, MAG 1 then MAG 5, at (50,50).
inline std::vector<std::uint8_t> OddRecordsLibrary() {
  MemorySink sink;
  {
    RecordWriter w(sink);
    const StructureHeader s = BeginLibraryAndStructure(w, "ODDLIB", "ODD");

    w.Empty(kBoundary);
    w.Int16(kLayer, 5);
    w.Int16(kDatatype, 2);
    w.Int16(kLayer, 7);
    w.Int16(kDatatype, 9);
    w.Real(kLayer, Real8::FromDouble(3.0));
    w.Points(std::vector<Point>{{0, 0}, {1000, 0}, {1000, 1000}});
    w.Int16(0x5A, 1);
    w.Points(std::vector<Point>{{-500, 2000}, {0, 0}});
    w.Empty(kEndEl);

    w.Empty(kPath);
    w.Int16(kLayer, 5);
    w.Int16(kDatatype, 0);
    w.Int32(kWidth, 100);
    w.Int32(kWidth, 5000);
    w.Points(std::vector<Point>{{0, 3000}, {1000, 3000}});
    w.Empty(kEndEl);

    w.Empty(kText);
    w.Int16(kLayer, 6);
    w.Int16(kTextType, 0);
    w.BitArray(kSTrans, 0);
    w.Real(kMag, Real8::FromDouble(1.0));
    w.Real(kMag, Real8::FromDouble(5.0));
    w.Points(std::vector<Point>{{50, 50}});
    w.String(kString, "T");
    w.Empty(kEndEl);

    WriteStructureEnd(w, s);
    WriteLibraryEnd(w);
  }
  return sink.bytes;
}

// The warnings each reader gives for that library, by message.
inline constexpr std::size_t kOddRepeated = 4;  // LAYER, DATATYPE, WIDTH, MAG
inline constexpr std::size_t kOddMistyped = 1;
inline constexpr std::size_t kOddJoined = 1;
inline constexpr std::size_t kOddUnknown = 1;

inline void WriteOddRecordsLibrary(const std::string& path) {
  const std::vector<std::uint8_t> bytes = OddRecordsLibrary();
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

}  // namespace korvex::gds::testing
