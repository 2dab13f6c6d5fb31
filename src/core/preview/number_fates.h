#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/inspect/scan_result.h"
#include "core/options/mapping_table.h"

namespace korvex {

// The layer or datatype numbers of the scan, as numbers, in scan order.
std::vector<int> ScannedNumbers(const ScanResult& scan, MappingKind kind);

// What the job does to one scanned number.
struct NumberFate {
  int number = 0;
  bool kept = false;
  int output = 0;  // the number it is written as, when kept
};

// Each scanned number through the include/exclude list (entries "n" or "a-b", as the engine
// reads them) and the map text.
std::vector<NumberFate> ResolveNumbers(const std::vector<int>& scanned, std::string_view list, bool exclude,
                                       std::string_view mapText);

// Entries of an include/exclude list that name none of the numbers.
std::vector<std::string> ListEntriesNamingNone(std::string_view list, const std::vector<int>& numbers);
// Rules of a map text whose source (before ":") names none of the numbers.
std::vector<std::string> MapRulesNamingNone(std::string_view mapText, const std::vector<int>& numbers);

}  // namespace korvex
