// The merge modes: the input's tree of TOP and every structure of the listed files in one
// library, names defined twice resolved by the mode, units brought to one grid.
#pragma once

#include <string>
#include <vector>

#include "korvexe/engine_log.h"
#include "korvexe/engine_options.h"
#include "korvexe/input_layout.h"
#include "korvexe/output_file.h"
#include "korvexe/translation.h"

namespace korvex::engine {

// Reads korvex.lst: one path per line, a CR before the LF dropped, empty lines skipped.
// Throws EngineError when the file cannot be read.
std::vector<std::string> ReadMergeList(const std::string& path);

// `files` holds the input first, then the listed files, all loaded. Throws EngineError for
// units that cannot be brought together, or a combine name that already exists. Without `out`
// (a dry run) nothing is written and only the counts come back.
WriteTotals RunMerge(const EngineOptions& options, std::vector<InputLayout*> files, OutputStream* out,
                     EngineLog& log);

}  // namespace korvex::engine
