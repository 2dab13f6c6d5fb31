#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// Lists of numbers and rules are texts of entries joined by "," ("1,5,63").

// Whether the entry appears whole in the list: the list, framed by commas, holds
// "," + entry + ",". So 1 is not in "10,11", and "1, 2" holds 1 but not 2.
bool ListHolds(std::string_view list, std::string_view entry);

// The entries joined by single commas; no entries give the empty text.
std::string JoinCommaList(const std::vector<std::string>& entries);

// The pieces between commas, in order; empty pieces are dropped.
std::vector<std::string> SplitCommaList(std::string_view list);

}  // namespace korvex
