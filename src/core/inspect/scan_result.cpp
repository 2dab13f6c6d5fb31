#include "core/inspect/scan_result.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace korvex {
namespace {

std::uint32_t NameHash(std::string_view name) {
  std::uint32_t hash = 2166136261u;  // FNV-1a
  for (const char c : name) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 16777619u;
  }
  return hash ^ (hash >> 16);
}

// Gives `index` the slot of its name, unless an earlier structure of that name has one:
// lookups answer the first index. Twice as many slots as structures keep probe runs short.
void AddNameSlot(ScanResult& scan, std::int32_t index) {
  const std::string_view name = scan.StructureNames[index];
  if (FindStructure(scan, name)) return;
  const std::uint32_t count = static_cast<std::uint32_t>(scan.NameSlots.size());
  for (std::uint32_t slot = NameHash(name) % count;; slot = (slot + 1) % count) {
    if (scan.NameSlots[slot] == 0) {
      scan.NameSlots[slot] = index + 1;
      return;
    }
  }
}

// Doubles every per-structure table and the name slots, keeping what they hold.
void GrowStructureTables(ScanResult& scan) {
  const std::size_t size = scan.StructureNames.size() * 2;
  scan.StructureNames.resize(size);
  scan.NameChecks.resize(size, 0);
  scan.ElementCounts.resize(size);
  scan.Extents.resize(size);
  scan.TreeMarks.resize(size, 0);
  scan.NameSlots.assign(2 * size, 0);
  for (std::int32_t i = 0; i < scan.StructureCount; ++i) AddNameSlot(scan, i);
}

}  // namespace

ScanResult::ScanResult()
    : StructureNames(kInitialStructures),
      NameChecks(kInitialStructures, 0),
      ElementCounts(kInitialStructures),
      Extents(kInitialStructures),
      TreeMarks(kInitialStructures, 0),
      Layers(kMaxLayers),
      Datatypes(kMaxDatatypes),
      NameSlots(2 * static_cast<std::size_t>(kInitialStructures), 0) {}

void ResetScanResult(ScanResult& scan) {
  ClearStructureList(scan);
  scan.LayerCount = 0;
  scan.DatatypeCount = 0;
  scan.TopStructure.clear();
}

void ClearStructureList(ScanResult& scan) {
  scan.StructureCount = 0;
  std::memset(scan.NameSlots.data(), 0, scan.NameSlots.size() * sizeof scan.NameSlots[0]);
  ClearTreeMarks(scan);
}

std::uint8_t NameCheck(std::string_view name) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < name.size(); ++i) {
    sum += static_cast<std::uint32_t>(i + 1) * static_cast<unsigned char>(name[i]);
  }
  return static_cast<std::uint8_t>(sum & 0xFFu);
}

std::string_view CutStructureName(std::string_view name) {
  return name.substr(0, std::min(name.size(), kStructureNameLength));
}

bool AppendStructure(ScanResult& scan, std::string_view name) {
  if (scan.StructureCount == INT32_MAX / 4) return false;
  if (static_cast<std::size_t>(scan.StructureCount) == scan.StructureNames.size()) GrowStructureTables(scan);
  name = CutStructureName(name);
  const std::int32_t index = scan.StructureCount;
  scan.StructureNames[index].assign(name);
  scan.NameChecks[index] = NameCheck(name);
  scan.ElementCounts[index] = {};
  scan.Extents[index] = {};
  scan.TreeMarks[index] = 0;
  AddNameSlot(scan, index);  // before the count grows: it looks for earlier names only
  ++scan.StructureCount;
  return true;
}

std::optional<std::int32_t> FindStructure(const ScanResult& scan, std::string_view name) {
  const std::uint8_t check = NameCheck(name);
  const std::uint32_t count = static_cast<std::uint32_t>(scan.NameSlots.size());
  for (std::uint32_t slot = NameHash(name) % count;; slot = (slot + 1) % count) {
    const std::int32_t entry = scan.NameSlots[slot];
    if (entry == 0) return std::nullopt;
    const std::int32_t index = entry - 1;
    if (index < scan.StructureCount && scan.NameChecks[index] == check &&
        scan.StructureNames[index] == name) {
      return index;
    }
  }
}

void MarkStructure(ScanResult& scan, std::string_view name) {
  const auto index = FindStructure(scan, name);
  if (!index || scan.TreeMarks[*index] != 0) return;
  scan.TreeMarks[*index] = 1;
  ++scan.TreeCount;
}

void ClearTreeMarks(ScanResult& scan) {
  std::memset(scan.TreeMarks.data(), 0, scan.TreeMarks.size());
  scan.TreeCount = 0;
}

std::string FormatCoordinate(const ScanResult& scan, std::int32_t value) {
  const std::int64_t resolution = scan.Resolution;
  if (resolution <= 0) return {};
  // 64-bit throughout: the magnitude of the most negative value does not fit 32 bits.
  std::int64_t v = value;
  std::string text;
  if (v < 0) {
    text = "-";
    v = -v;
  }
  std::int64_t power = 1;
  while (power < resolution) power *= 10;
  const double scale = static_cast<double>(power) / static_cast<double>(resolution);
  const auto fraction = static_cast<std::int64_t>(std::round(static_cast<double>(v % resolution) * scale));
  char digits[32];
  std::snprintf(digits, sizeof digits, "%lld", static_cast<long long>(fraction + power));
  digits[0] = '.';
  char whole[32];
  std::snprintf(whole, sizeof whole, "%lld", static_cast<long long>(v / resolution));
  return text + whole + digits;
}

}  // namespace korvex
