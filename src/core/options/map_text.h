#pragma once

#include <string>
#include <string_view>

#include "core/options/mapping_table.h"

namespace korvex {

// Applies every rule of a map or rule list text to the rows, in text order, so a later
// rule wins. Pieces without ":" are skipped; rows no rule names keep their Output.
void ApplyMapText(MappingTable& table, std::string_view text);

// A text of single, collapse and shift rules, one per run of neighbouring rows, that turns each row's Input into
// its Output; rows left unchanged give no rule. Outputs must not be negative: the rule
// syntax has no sign (MappingModel refuses such rows before encoding).
std::string EncodeMapText(const MappingTable& table);

}  // namespace korvex
