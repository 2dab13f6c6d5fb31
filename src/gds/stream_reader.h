// Reads a stream at the library, structure and element level. Tolerant where the format
// allows it (warnings go to the Diagnostics); stops at the first record it cannot get past.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "gds/diagnostics.h"
#include "gds/element.h"
#include "gds/element_grammar.h"
#include "gds/record_reader.h"

namespace korvex::gds {

// Why bytes are not a stream: "empty file", "gzip-compressed file, not GDSII", ... or ""
// when they start with a HEADER record.
std::string CheckSignature(const std::uint8_t* data, std::size_t size);

class StreamReader {
 public:
  // `data` must outlive the reader.
  StreamReader(const std::uint8_t* data, std::size_t size, Diagnostics& diagnostics);

  // Reads HEADER up to UNITS and any library properties after it. False when the bytes are
  // not a stream or the header is broken (the Diagnostics hold the fatal error).
  bool ReadLibraryHeader(LibraryHeader& header);

  // Starts the next structure. False at ENDLIB, at the end of the data or on a fatal error.
  bool NextStructure();
  const StructureHeader& structure() const { return structure_; }

  // Reads the next element of the current structure. False at its ENDSTR (and at the end of
  // the data or on a fatal error): structure().trailing is then complete.
  bool NextElement(Element& element);

  // Reads the element whose start record is at `offset` (the engine rewrites one element it
  // met record by record). False when no element starts there.
  bool ReadElementAt(std::uint64_t offset, Element& element);

  // Skips the rest of the current structure.
  void SkipStructure();

  // Goes to the BGNSTR at `offset` (from a structure index); NextStructure() reads it.
  void Seek(std::uint64_t offset);

  bool saw_endlib() const { return saw_endlib_; }
  bool failed() const { return diagnostics_.failed(); }
  std::uint64_t offset() const { return reader_.offset(); }

 private:
  enum class Got { kRecord, kEnd, kError };
  Got Read(Record& rec);
  void Warn(const Record& rec, const char* message);
  bool ReadElementBody(Element& element);
  void SetValue(Element& e, const Record& rec);
  static void AddPoints(Element& e, const Record& rec);

  RecordReader reader_;
  Diagnostics& diagnostics_;
  StructureHeader structure_;
  ElementGrammar grammar_;
  bool in_structure_ = false;
  bool saw_endlib_ = false;
  bool done_ = false;
};

}  // namespace korvex::gds
