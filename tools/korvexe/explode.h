// Flattening: every element of a structure's tree written into the structure itself, each
// reference and array instance placed with its transform.
#pragma once

#include <cstdint>
#include <string>

#include "korvexe/element_filter.h"
#include "korvexe/engine_log.h"
#include "korvexe/input_layout.h"
#include "korvexe/output_file.h"

namespace korvex::engine {

struct ExplodeResult {
  bool written = false;        // false: nothing survived and the structure was left out
  std::uint64_t elements = 0;  // written
  std::uint64_t placements = 0;  // structure instances placed
};

// Writes structure `top` flattened, under `name`. The shape options of `filter` apply to each
// element before it is placed, polygon filtering after. With `drop_if_empty` a structure
// left without elements is not written at all. Reads the children again from the mapped
// file for each placement, so memory stays small however large the flat result.
ExplodeResult ExplodeStructure(const InputLayout& in, std::uint32_t top, const std::string& name,
                               const ElementFilter& filter, bool drop_if_empty, FilterCounts& counts,
                               EngineLog& log, OutputStream& out);

}  // namespace korvex::engine
