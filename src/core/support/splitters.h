#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// Capacity that callers pass when a list has no upper bound.
inline constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();

// Words are runs of graphic characters (codes 33 to 126). At most capacity - 1 words are
// produced; the last one there is room for keeps the rest of the text, blanks included.
std::vector<std::string> SplitWords(std::string_view text, std::size_t capacity);

// Names separated by single blanks, each in double quotes (the merge-list format); single
// quotes also group, and unquoted words stand as they are. Same capacity rule as SplitWords.
std::vector<std::string> SplitQuotedList(std::string_view text, std::size_t capacity);

}  // namespace korvex
