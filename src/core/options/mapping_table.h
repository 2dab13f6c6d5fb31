#pragma once

#include <string>
#include <vector>

#include "core/job/job_settings.h"

namespace korvex {

enum class MappingKind { kLayers, kDatatypes };

// Layer and datatype numbers that can have a row: 0 to 65535, as the rules name them.
inline constexpr int kMappingRowCapacity = 65536;

struct MappingRow {
  int Input = 0;
  int Output = 0;
};

// One-to-one rows in strictly increasing Input order, and the rules of the rules dialog.
struct MappingTable {
  MappingKind kind = MappingKind::kLayers;
  std::vector<MappingRow> rows;
  std::string ruleList;
};

// "Layer" or "Type", as the columns of the mapping dialog are labelled.
const char* MappingKindLabel(MappingKind kind);

// The stored map text of the kind: LayerMap or DatatypeMap.
const std::string& StoredMapText(const JobSettings& settings, MappingKind kind);
std::string& StoredMapText(JobSettings& settings, MappingKind kind);

// One row for each number from 0 to 65535 that the include/exclude choice keeps and that
// the scan found (scanned: the layer or datatype names of the scan, in their order), with
// the stored map text applied and copied into the rule list.
MappingTable BuildMappingTable(MappingKind kind, const JobSettings& settings,
                               const std::vector<std::string>& scanned);

}  // namespace korvex
