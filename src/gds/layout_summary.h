// One fast pass over a stream that gathers what a scan reports: structures in file order,
// their element counts, local extents and references, and the layers and datatypes in use.
// Reads the record bytes directly and allocates nothing per element.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "gds/diagnostics.h"
#include "gds/element.h"
#include "gds/geometry.h"
#include "gds/structure_index.h"

namespace korvex::gds {

// The structure a widely used editor writes for its own metadata; not part of the design.
inline constexpr std::string_view kContextInfoName = "$$$CONTEXT_INFO$$$";

// The name given to a structure whose STRNAME is empty or missing (BGNSTR at `offset`): other
// readers refuse an empty name, and this one does not change from one reading to the next.
// Should the file use that name already, '_' is added until it is free.
std::string UnnamedStructureName(std::uint64_t offset);

// A set of 16-bit numbers (layers, datatypes) as a bit table.
class NumberSet {
 public:
  void Insert(std::uint16_t v) { bits_[v >> 6] |= std::uint64_t{1} << (v & 63); }
  bool Contains(std::uint16_t v) const { return (bits_[v >> 6] >> (v & 63)) & 1; }
  void InsertAll(const NumberSet& other) {
    for (std::size_t i = 0; i < bits_.size(); ++i) bits_[i] |= other.bits_[i];
  }
  // The members in ascending order.
  std::vector<std::uint16_t> Values() const;

 private:
  std::array<std::uint64_t, 1024> bits_{};
};

struct Reference {
  std::uint32_t child = 0;  // index into LayoutSummary::structures
  bool array = false;
  bool reflect = false;
  std::uint16_t columns = 1;
  std::uint16_t rows = 1;
  double mag = 1.0;
  double angle = 0.0;
  Point points[3];  // origin; for an array P1, P2, P3
};

// Shapes of one layer/datatype pair (elements that can be written: with their layer, type
// record and points).
struct PairTotal {
  std::uint16_t layer = 0;
  std::uint16_t datatype = 0;
  std::uint64_t count = 0;
};

struct StructureSummary {
  std::string name;
  std::uint64_t offset = 0;  // of BGNSTR; 0 when not defined
  bool defined = false;
  bool incomplete = false;  // the data ended or broke inside it
  bool unnamed = false;     // its STRNAME is empty or missing: `name` was made for it
  // Own elements by ElementKind: boundary, path, sref, aref, text, node, box.
  std::array<std::uint64_t, 7> counts{};
  Box local;  // own elements, references not included
  std::size_t first_reference = 0;
  std::size_t reference_count = 0;
  std::uint64_t end = 0;  // after its ENDSTR
  // With SummaryOptions::copy_facts: every record of it is as the format writes it (STRNAME
  // right after BGNSTR, elements that are valid as they stand, only properties between them,
  // a plain ENDSTR): its bytes [offset, end) may be copied as they are.
  bool verbatim = false;
  // With SummaryOptions::pairs: the layer/datatype pairs its shapes use, (layer << 16) | type,
  // each once, in no set order (type 0 for a shape without a type record). A shape without
  // LAYER has none.
  std::vector<std::uint32_t> pairs;
};

struct SummaryOptions {
  bool skip_context_info = true;
  // Whether StructureSummary::local is wanted (what a copy does not need).
  bool extents = true;
  // Whether what a copy needs is wanted: StructureSummary::verbatim, the pair totals and the
  // largest text magnification.
  bool copy_facts = false;
  // Called now and then with a range of bytes that will not be read again (e.g. to release
  // mapped pages). With several threads it is called from each of them.
  std::function<void(std::size_t from, std::size_t to)> done;
  // Threads that read parts of the file at once. The parts start at structure boundaries and
  // hold at least `min_part` bytes; the result is the same as with one thread.
  unsigned threads = 1;
  std::size_t min_part = 32u << 20;
  // Lists each structure's layer/datatype pairs (StructureSummary::pairs), for a viewer that
  // needs to know which layers a tree shows before reading its shapes.
  bool pairs = false;
};

struct LayoutSummary {
  LibraryHeader header;
  // Defined structures and referenced-but-undefined names, in order of first appearance.
  std::vector<StructureSummary> structures;
  // Indices of the defined structures in file order.
  std::vector<std::uint32_t> listed;
  std::vector<Reference> references;  // grouped by structure
  // With SummaryOptions::copy_facts: the shapes per pair over the defined structures, by layer
  // then datatype, and the largest finite MAG of a TEXT (1 when none is larger).
  std::vector<PairTotal> pair_totals;
  double largest_text_mag = 1.0;
  NumberSet layers;     // of boundaries, paths, texts, nodes and boxes
  NumberSet datatypes;  // DATATYPE, TEXTTYPE, NODETYPE and BOXTYPE together
  bool saw_endlib = false;
  bool skipped_context_info = false;
  std::uint64_t records = 0;
  std::size_t parts = 1;  // pieces read on separate threads
};

// False when nothing usable could be read (not a stream; the Diagnostics say why). A stream
// that breaks later gives true with what was read before, and a fatal issue recorded.
bool Summarize(const std::uint8_t* data, std::size_t size, Diagnostics& diagnostics,
               LayoutSummary& out, const SummaryOptions& options = {});

}  // namespace korvex::gds
