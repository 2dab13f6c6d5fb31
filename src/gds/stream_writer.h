// Writes the library, structure and element level through a RecordWriter. Records of an
// element come out in the format's order, then the properties. The records an element was
// read with but did not use (Element::extra) are not written: readers reject them.
#pragma once

#include "gds/element.h"
#include "gds/record_writer.h"

namespace korvex::gds {

bool WriteLibraryHeader(RecordWriter& out, const LibraryHeader& header);
bool WriteStructureBegin(RecordWriter& out, const StructureHeader& header);
// Writes the header's trailing records, then ENDSTR.
bool WriteStructureEnd(RecordWriter& out, const StructureHeader& header);
bool WriteElement(RecordWriter& out, const Element& element);

// What decides whether an element can be written as a stream element that readers accept.
struct ElementFacts {
  ElementKind kind = ElementKind::kBoundary;
  bool layer = false;
  bool type = false;    // DATATYPE, TEXTTYPE, NODETYPE or BOXTYPE by kind
  bool name = false;    // a non-empty SNAME
  bool string = false;  // STRING
  bool colrow = false;  // a COLROW of 1 to 32767 columns and rows
  std::size_t points = 0;
};
ElementFacts FactsOf(const Element& element);
// Why such an element cannot be written validly ("without XY", ...), or nullptr when it can.
// An element missing what every reader needs is not made up for: it is left out.
const char* ElementFault(const ElementFacts& facts);
// ENDLIB, then zero bytes up to a multiple of `block` (0: no padding), then a flush.
bool WriteLibraryEnd(RecordWriter& out, std::size_t block = 0);

}  // namespace korvex::gds
