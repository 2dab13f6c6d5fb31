#include "core/options/scan_lists.h"

#include <algorithm>

namespace korvex {
namespace {

std::vector<std::string> First(const std::vector<std::string>& table, std::int32_t count) {
  const auto n = static_cast<std::size_t>(std::clamp<std::int64_t>(count, 0, static_cast<std::int64_t>(table.size())));
  return {table.begin(), table.begin() + static_cast<std::ptrdiff_t>(n)};
}

}  // namespace

std::vector<std::string> ScannedLayers(const ScanResult& scan) { return First(scan.Layers, scan.LayerCount); }
std::vector<std::string> ScannedDatatypes(const ScanResult& scan) { return First(scan.Datatypes, scan.DatatypeCount); }
std::vector<std::string> ScannedStructures(const ScanResult& scan) {
  return First(scan.StructureNames, scan.StructureCount);
}

}  // namespace korvex
