#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// Capacities of the record. The structure tables start at kInitialStructures entries and grow
// with the report (real layouts hold far more); layers and datatypes shape what the user sees,
// so a larger report is cut there.
inline constexpr std::int32_t kInitialStructures = 32768;
inline constexpr std::int32_t kMaxLayers = 2048;
inline constexpr std::int32_t kMaxDatatypes = 1024;
inline constexpr std::size_t kStructureNameLength = 34;
inline constexpr std::size_t kLayerTextLength = 6;
inline constexpr std::size_t kDatatypeTextLength = 7;
inline constexpr std::size_t kUserUnitsLength = 31;

struct ElementCount {
  std::int32_t Boundary = 0;
  std::int32_t Path = 0;
  std::int32_t ARef = 0;
  std::int32_t SRef = 0;
  std::int32_t Text = 0;
};

// In database units.
struct Extent {
  std::int32_t MinX = 0;
  std::int32_t MinY = 0;
  std::int32_t MaxX = 0;
  std::int32_t MaxY = 0;
};

// What the last scan found. The application holds one; everything else takes it by reference.
// The per-structure tables are grown together; the counts say how much of each is valid, and
// index i of every per-structure table belongs to StructureNames[i].
struct ScanResult {
  ScanResult();

  std::int32_t StructureCount = 0;
  std::vector<std::string> StructureNames;  // at most kStructureNameLength characters each
  std::vector<std::uint8_t> NameChecks;     // NameCheck of the name at the same index
  std::vector<ElementCount> ElementCounts;
  std::vector<Extent> Extents;
  std::vector<std::uint8_t> TreeMarks;  // 1 for each structure in the tree last marked
  std::int32_t TreeCount = 0;           // number of set TreeMarks

  std::int32_t LayerCount = 0;
  std::vector<std::string> Layers;  // layer numbers with data, as written in the report
  std::int32_t DatatypeCount = 0;
  std::vector<std::string> Datatypes;

  std::int32_t Resolution = 1;  // database units per user unit
  std::string UserUnits = "UM";  // as written after the colon, leading blank included
  std::string ScannedFile;
  std::string ReportFile;
  std::string TopStructure;

  // Open-addressing slots over StructureNames (index + 1, 0 when free), kept by
  // AppendStructure so that name lookups stay fast with tens of thousands of structures.
  std::vector<std::int32_t> NameSlots;
};

// Empties the structure, layer and datatype lists, the tree marks and TopStructure.
// Resolution and UserUnits stay: a report without units keeps the previous scan's.
void ResetScanResult(ScanResult& scan);

// The check value of a name: sum of (1-based position x byte value), modulo 256.
std::uint8_t NameCheck(std::string_view name);

// Names longer than the record holds keep their first kStructureNameLength characters.
std::string_view CutStructureName(std::string_view name);

// Empties the structure list alone (names, checks and their lookup slots).
void ClearStructureList(ScanResult& scan);

// Appends a structure (name cut to capacity) with its check value, growing the tables when
// they are full; false only when the count itself would overflow.
bool AppendStructure(ScanResult& scan, std::string_view name);

// Index of the first structure with exactly this name.
std::optional<std::int32_t> FindStructure(const ScanResult& scan, std::string_view name);

// Sets the tree mark of the first structure of that name, if any.
void MarkStructure(ScanResult& scan, std::string_view name);
void ClearTreeMarks(ScanResult& scan);

// A value in database units as user units with as many decimals as Resolution needs:
// 12005 at resolution 1000 is "12.005", 12 at resolution 1 is "12.". Empty text when
// Resolution is not positive.
std::string FormatCoordinate(const ScanResult& scan, std::int32_t value);

}  // namespace korvex
