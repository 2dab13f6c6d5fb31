// What a run wrote, or in a dry run would write: per layer/datatype pair, the structures
// renamed, the elements dropped per reason and the totals, in lines a script can read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "korvexe/element_filter.h"
#include "korvexe/engine_log.h"
#include "korvexe/pair_tally.h"

namespace korvex::engine {

struct RenamedStructure {
  std::string from;
  std::string to;
  std::string file;  // the merged file it comes from; empty in a plain translation
};

// Elements left out, per reason.
struct DropCounts {
  std::uint64_t layer = 0;
  std::uint64_t datatype = 0;
  std::uint64_t polygon = 0;     // polygon filtering
  std::uint64_t path_width = 0;  // paths without area when unfolding
  std::uint64_t text_size = 0;
  std::uint64_t prune = 0;    // references to structures pruned away
  std::uint64_t invalid = 0;  // not a valid element as read
};

struct WriteTotals {
  std::uint64_t structures = 0;
  std::uint64_t elements = 0;  // shapes and references
  PairTally pairs;
  std::vector<RenamedStructure> renamed;
  DropCounts dropped;
};

// Adds the drops the element filter counted: by the numbers and shape options, by polygon
// filtering, or both.
void AddShapeDrops(const FilterCounts& counts, DropCounts& dropped);
void AddPolygonDrops(const FilterCounts& counts, DropCounts& dropped);
inline void AddFilterDrops(const FilterCounts& counts, DropCounts& dropped) {
  AddShapeDrops(counts, dropped);
  AddPolygonDrops(counts, dropped);
}

// "Pair L/D -> L2/D2: N in, M out" or "Pair L/D -> dropped: N in" per pair, "Renamed: OLD -> NEW"
// per structure, "Dropped by REASON: N" per reason, and "Shapes: N in, M out".
void LogRunSummary(const WriteTotals& totals, EngineLog& log);

}  // namespace korvex::engine
