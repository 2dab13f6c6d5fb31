#include "core/preview/number_fates.h"

#include <algorithm>

#include "core/options/comma_list.h"
#include "core/options/map_text.h"
#include "core/options/range_rules.h"
#include "core/options/scan_lists.h"

namespace korvex {
namespace {

bool NamesAny(std::string_view source, const std::vector<int>& numbers) {
  const NumberBounds bounds = ReadBounds(source);
  return std::any_of(numbers.begin(), numbers.end(),
                     [&](int n) { return n >= bounds.first && n <= bounds.last; });
}

bool ListNames(std::string_view list, int number) {
  const std::vector<int> one{number};
  const std::vector<std::string> entries = SplitCommaList(list);
  return std::any_of(entries.begin(), entries.end(), [&](const std::string& e) { return NamesAny(e, one); });
}

}  // namespace

std::vector<int> ScannedNumbers(const ScanResult& scan, MappingKind kind) {
  std::vector<int> numbers;
  for (const std::string& text : kind == MappingKind::kLayers ? ScannedLayers(scan) : ScannedDatatypes(scan)) {
    numbers.push_back(ReadRuleNumber(text));
  }
  return numbers;
}

std::vector<NumberFate> ResolveNumbers(const std::vector<int>& scanned, std::string_view list, bool exclude,
                                       std::string_view mapText) {
  MappingTable table;
  for (int n : scanned) table.rows.push_back({n, n});
  ApplyMapText(table, mapText);
  std::vector<NumberFate> fates;
  for (const MappingRow& row : table.rows) {
    fates.push_back({row.Input, ListNames(list, row.Input) != exclude, row.Output});
  }
  return fates;
}

std::vector<std::string> ListEntriesNamingNone(std::string_view list, const std::vector<int>& numbers) {
  std::vector<std::string> lacking;
  for (const std::string& entry : SplitCommaList(list)) {
    if (!NamesAny(entry, numbers)) lacking.push_back(entry);
  }
  return lacking;
}

std::vector<std::string> MapRulesNamingNone(std::string_view mapText, const std::vector<int>& numbers) {
  std::vector<std::string> lacking;
  for (const std::string& rule : SplitCommaList(mapText)) {
    const std::size_t colon = rule.find(':');
    if (colon != std::string::npos && !NamesAny(std::string_view(rule).substr(0, colon), numbers)) {
      lacking.push_back(rule);
    }
  }
  return lacking;
}

}  // namespace korvex
