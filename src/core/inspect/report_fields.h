#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// Pieces of scan report lines shared by the section readers.

// The numbers between the first "(" of a row and the first ")" after it, commas read as
// blanks, split into at most `count` words; the last word keeps whatever follows it.
// None when the row has no such parentheses or holds fewer than `count` words.
std::optional<std::vector<std::string>> RowValues(std::string_view row, std::size_t count);

// Nearest 32-bit integer, halves away from zero; out-of-range values are held at the
// limits and a value that is not a number is 0.
std::int32_t RoundToInt32(double value);
// True when RoundToInt32 holds `value` at a limit.
bool BeyondInt32(double value);

std::string_view SkipBlanksAndTabs(std::string_view text);

}  // namespace korvex
