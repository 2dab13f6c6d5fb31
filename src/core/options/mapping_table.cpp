#include "core/options/mapping_table.h"

#include <algorithm>
#include <charconv>

#include "core/options/comma_list.h"
#include "core/options/map_text.h"

namespace korvex {

const char* MappingKindLabel(MappingKind kind) {
  return kind == MappingKind::kLayers ? "Layer" : "Type";
}

const std::string& StoredMapText(const JobSettings& settings, MappingKind kind) {
  return kind == MappingKind::kLayers ? settings.LayerMap : settings.DatatypeMap;
}

std::string& StoredMapText(JobSettings& settings, MappingKind kind) {
  return kind == MappingKind::kLayers ? settings.LayerMap : settings.DatatypeMap;
}

MappingTable BuildMappingTable(MappingKind kind, const JobSettings& settings,
                               const std::vector<std::string>& scanned) {
  const bool layers = kind == MappingKind::kLayers;
  const std::string& list = layers ? settings.LayerList : settings.DatatypeList;
  const bool exclude = (layers ? settings.LayerExclude : settings.DatatypeExclude) != 0;

  // Only plain decimal names are numbers ("07" is not 7). A number named twice still gets
  // one row: Inputs stay strictly increasing.
  std::vector<int> numbers;
  for (const std::string& name : scanned) {
    int n = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), n);
    if (error != std::errc() || end != name.data() + name.size() || n < 0 || n >= kMappingRowCapacity ||
        std::to_string(n) != name) {
      continue;
    }
    if (ListHolds(list, name) != exclude) numbers.push_back(n);
  }
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());

  MappingTable table;
  table.kind = kind;
  for (const int n : numbers) table.rows.push_back({n, n});
  const std::string& stored = StoredMapText(settings, kind);
  ApplyMapText(table, stored);
  table.ruleList = stored;
  return table;
}

}  // namespace korvex
