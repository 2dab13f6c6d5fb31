// Shapes per layer/datatype pair of the structures a run copies as they are. Their bytes are
// copied file to file, unread; the index pass knows the totals of the whole file, so only
// what is not copied needs reading again to be taken away.
#pragma once

#include <cstdint>
#include <vector>

#include "korvexe/input_layout.h"
#include "korvexe/pair_tally.h"

namespace korvex::engine {

// Counts as met and written the shapes of the structures flagged in `as_is` (by summary
// index): from the index's totals less the other structures, or by reading the flagged ones,
// whichever reads fewer bytes.
void CountAsIsPairs(const InputLayout& in, const std::vector<bool>& as_is, PairTally& pairs);

// Counts the shapes of structure `s` as met and written, reading it again; with `take_back`
// takes them away instead.
void CountStructurePairs(const InputLayout& in, std::uint32_t s, PairTally& pairs, bool take_back = false);

}  // namespace korvex::engine
