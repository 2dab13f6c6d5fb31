#include "core/options/mapping_table.h"

#include <unordered_set>

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

  // A number named twice by the scan still gets one row: Inputs stay strictly increasing.
  const std::unordered_set<std::string> found(scanned.begin(), scanned.end());

  MappingTable table;
  table.kind = kind;
  for (int n = 0; n < kMappingRowCapacity; ++n) {
    const std::string text = std::to_string(n);
    if (ListHolds(list, text) == exclude) continue;
    if (found.count(text) != 0) table.rows.push_back({n, n});
  }
  const std::string& stored = StoredMapText(settings, kind);
  ApplyMapText(table, stored);
  table.ruleList = stored;
  return table;
}

}  // namespace korvex
