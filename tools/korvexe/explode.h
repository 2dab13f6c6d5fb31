// Flattening: every element of a structure's tree written into the structure itself, each
// reference and array instance placed with its transform.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "korvexe/element_filter.h"
#include "korvexe/engine_log.h"
#include "korvexe/input_layout.h"
#include "korvexe/output_file.h"
#include "korvexe/pair_tally.h"

namespace korvex::engine {

struct ExplodeResult {
  bool written = false;        // false: nothing survived and the structure was left out
  std::uint64_t elements = 0;  // written
  std::uint64_t placements = 0;  // structure instances placed
  std::uint64_t left_out = 0;    // elements that are not valid as read (each counted once)
};

class Exploder;

// Flattens structures of one input into one output. One flattener serves every structure of a
// run, so that what it learnt of the children (and its tables, sized by the layout) is set up
// once: flattening every structure of a large layout stays linear. Without `out` (a dry run)
// nothing is written and only the counts are kept. `pairs` counts every placed shape.
class Flattener {
 public:
  // What the structures kept in memory may take in all, by default: with the mapped input
  // pages given back as the result is written, the whole stays within a few hundred MB however
  // large the layout or its flat result.
  static constexpr std::uint64_t kDefaultCacheBudget = 96u << 20;

  Flattener(const InputLayout& in, const ElementFilter& filter, FilterCounts& counts, EngineLog& log,
            OutputStream* out, PairTally& pairs, std::uint64_t cache_budget = kDefaultCacheBudget);
  ~Flattener();
  Flattener(const Flattener&) = delete;
  Flattener& operator=(const Flattener&) = delete;

  // Writes structure `top` flattened, under `name`. The shape options of the filter apply to
  // each element before it is placed, polygon filtering after. With `drop_if_empty` a
  // structure left without elements is not written at all. Children placed many times are
  // kept, the most placed first, as long as they fit in the budget (sized from the input
  // before they are read, and let go should one turn out larger); the others, however large,
  // are read again from the mapped file at each placement, so memory stays small however
  // large the flat result.
  ExplodeResult Explode(std::uint32_t top, const std::string& name, bool drop_if_empty);
  // What the shape options did, counted at every placement (the run's counts take each
  // element once; polygon filtering counts every placement there already).
  const FilterCounts& placed() const;
  // The most bytes the kept structures took at once.
  std::uint64_t cache_peak() const;

 private:
  std::unique_ptr<Exploder> impl_;
};

}  // namespace korvex::engine
