// Whether what the engine reads may go to the output as it stands. Readers of the output
// (ours and others) take an element only with its records in the format's order, each in
// its own data type and once, and take only properties between elements. An element that is
// not so is written anew from its values; one whose values do not make a valid element is
// left out whole, with a warning; a record between elements that is not a property is not
// written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gds/element_grammar.h"
#include "gds/record_reader.h"
#include "gds/stream_writer.h"
#include "korvexe/element_filter.h"
#include "korvexe/engine_log.h"

namespace korvex::engine {

struct ElementRecords {
  std::uint64_t end = 0;    // after its ENDEL, or where the record that cut it off starts
  bool as_written = true;   // its bytes are a valid element as they stand
  gds::ElementFacts facts;  // what decides whether it can be written at all
  ShapeFields fields;       // the values the number options look at
  // Where the records of those values start (0: none): an element written as it stands
  // can have them changed in place.
  std::uint64_t layer_at = 0;
  std::uint64_t datatype_at = 0;
  std::uint64_t width_at = 0;
};

// The bytes [begin, end) of an element as it stands (`e`, read from `data`) with the values
// of `changed` in place of its own. False when a changed value has no record of its own to
// take it (the element is then written anew).
bool PatchedElement(const std::uint8_t* data, std::uint64_t begin, const ElementRecords& e, const ShapeFields& changed,
                    std::vector<std::uint8_t>& bytes);

// Reads the element whose start record `start` `reader` has just given, up to its end;
// `reader` is then at the record after it. `known_as_written`: the index pass found it valid
// as it stands (each record once, in order, in its own data type), so that every record is
// taken as it comes.
ElementRecords ReadElementRecords(gds::RecordReader& reader, const gds::Record& start, gds::ElementKind kind,
                                  gds::ElementGrammar& grammar, bool known_as_written = false);

// Whether the element starting at `offset` can be copied byte for byte.
bool ElementAsWritten(const std::uint8_t* data, std::size_t size, std::uint64_t offset);

// Whether a record met between the elements of a structure is written: properties are.
bool KeptBetweenElements(std::uint8_t type);

// What a structure's copy left out: elements that cannot be written validly, and records
// between elements.
struct LeftOut {
  std::uint64_t offset = 0;
  std::uint8_t record = 0;  // the element's start record, or the record left out
  const char* why = nullptr;  // the element's fault; nullptr for a record between elements
};

// One warning per element left out, naming the structure and the offset. Records between
// elements are warned only where the index pass has not said so already. Returns the number
// of elements left out.
std::uint64_t LogLeftOut(const std::vector<LeftOut>& left_out, const std::string& structure, EngineLog& log);

}  // namespace korvex::engine
