// The plain translation: the tree of TOP, with the element and name options applied.
#pragma once

#include "korvexe/engine_log.h"
#include "korvexe/engine_options.h"
#include "korvexe/input_layout.h"
#include "korvexe/output_file.h"
#include "korvexe/run_summary.h"

namespace korvex::engine {

// Writes the whole output library; without `out` (a dry run) every pass runs and only the
// counts come back. Throws EngineError for what makes the run fail.
WriteTotals RunTranslation(const EngineOptions& options, InputLayout& in, OutputStream* out, EngineLog& log);

// The structure the TOP argument names (decoded, 34-character prefixes resolved), or nullopt
// for an empty TOP. Throws EngineError for an unknown or ambiguous name.
std::optional<std::uint32_t> ResolveTop(const std::string& top, const InputLayout& in);

// The defined structures of the tree of `top` (every structure when there is none), marked
// per summary index.
std::vector<bool> TreeOf(const InputLayout& in, std::optional<std::uint32_t> top);

}  // namespace korvex::engine
