// Output names of structures: the rename map and the fixing of names (-names, -lc, -uc).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "korvexe/engine_log.h"
#include "korvexe/engine_options.h"

namespace korvex::engine {

struct RenameLine {
  std::size_t line = 0;
  std::string old_name;  // decoded from %XX
  std::string new_name;  // decoded from %XX
};

// Reads "OLD NEW" lines (split at the first blank; a CR before the LF dropped). Lines without
// a blank or with an empty side are skipped with a warning. Throws EngineError when the file
// cannot be read.
std::vector<RenameLine> ReadRenameMap(const std::string& path, EngineLog& log);

// Characters outside A-Z a-z 0-9 _ ? $ become _, the name is cut to 32 characters, and with
// kLower or kUpper its letters take that case. kKeep returns the name as it is.
std::string FixName(std::string_view name, NameCase how);

inline constexpr std::size_t kFixedNameLength = 32;

// `name`, or with the first numeric suffix _1, _2, ... that is not in `taken`, cut so that it
// stays within `max_length` (0: no limit). The result is added to `taken`.
std::string UniqueName(const std::string& name, std::unordered_set<std::string>& taken, std::size_t max_length);

// Every use of a structure name in the log: encoded so that it stays one word on one line.
std::string Shown(std::string_view name);

}  // namespace korvex::engine
