#pragma once

#include <string>
#include <string_view>

#include "core/options/mapping_table.h"

namespace korvex {

struct NumberBounds {
  int first;
  int last;
};

// "x" or "x-y": the numbers before and after the first "-"; without one both are x.
NumberBounds ReadBounds(std::string_view part);

// Applies every rule of a map or rule list text to the rows, in text order, so a later
// rule wins. Pieces without ":" are skipped; rows no rule names keep their Output.
void ApplyMapText(MappingTable& table, std::string_view text);

// A text of single, collapse and shift rules, one per run of neighbouring rows, that turns each row's Input into
// its Output; rows left unchanged give no rule. Outputs must not be negative: the rule
// syntax has no sign (MappingModel refuses such rows before encoding).
std::string EncodeMapText(const MappingTable& table);

}  // namespace korvex
