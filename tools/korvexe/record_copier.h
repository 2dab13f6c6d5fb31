// The fast way through a structure when every element option is a matter of numbers (layer
// and datatype choice, renumbering, minimum width, text size): elements are judged from
// their records, kept ones are copied byte for byte and changed ones patched record by
// record, without building elements.
#pragma once

#include <cstdint>
#include <string>

#include "korvexe/element_filter.h"
#include "korvexe/input_layout.h"
#include "korvexe/output_file.h"
#include "korvexe/pair_tally.h"
#include "korvexe/structure_copier.h"

namespace korvex::engine {

// Writes structure `s` (with `name` when given; without `out`, only counts). References are
// kept as they are; `elements` of the result counts the shapes written, `pairs` (when given)
// each shape's pair. Requires filter.numbers_only().
// `may_stop`: a stop signal ends the copy (not on a thread other than the main one).
CopyResult CopyStructureByRecords(const InputLayout& in, std::uint32_t s, const std::string* name,
                                  const ElementFilter& filter, FilterCounts& counts, StructureSink* out,
                                  PairTally* pairs, bool may_stop = true);

// The shapes of structure `s` that the filter keeps. Requires numbers_only().
std::uint64_t CountShapesByRecords(const InputLayout& in, std::uint32_t s, const ElementFilter& filter);

}  // namespace korvex::engine
