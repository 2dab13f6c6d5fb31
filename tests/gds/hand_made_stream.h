// The start every hand-made stream of the tests shares.
#pragma once

#include <string>

#include "gds/element.h"
#include "gds/record_writer.h"
#include "gds/stream_writer.h"

namespace korvex::gds::testing {

// Writes the library header of `library` and begins structure `structure`; returns the
// structure's header, for WriteStructureEnd.
inline StructureHeader BeginLibraryAndStructure(RecordWriter& w, const std::string& library,
                                                const std::string& structure) {
  LibraryHeader header;
  header.name = library;
  WriteLibraryHeader(w, header);
  StructureHeader s;
  s.name = structure;
  WriteStructureBegin(w, s);
  return s;
}

}  // namespace korvex::gds::testing
