// Writes the library, structure and element level through a RecordWriter. Records of an
// element come out in the format's order, then any kept out-of-place records, then the
// properties.
#pragma once

#include "gds/element.h"
#include "gds/record_writer.h"

namespace korvex::gds {

bool WriteLibraryHeader(RecordWriter& out, const LibraryHeader& header);
bool WriteStructureBegin(RecordWriter& out, const StructureHeader& header);
// Writes the header's trailing records, then ENDSTR.
bool WriteStructureEnd(RecordWriter& out, const StructureHeader& header);
bool WriteElement(RecordWriter& out, const Element& element);
// ENDLIB, then zero bytes up to a multiple of `block` (0: no padding), then a flush.
bool WriteLibraryEnd(RecordWriter& out, std::size_t block = 0);

}  // namespace korvex::gds
