#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/inspect/scan_result.h"
#include "core/support/text_file.h"

namespace korvex {

// Readers of the scanner's report. Each one starts again at the first line of the file and
// tolerates whatever it does not understand: a missing section leaves its part of the record
// empty or zero, a malformed row ends its section.

// Lines that open the sections of the report.
inline constexpr std::string_view kStructureListMarker = "STRUCTURE_LIST";
inline constexpr std::string_view kLayersMarker = "LAYERS_CONTAINING_DATA";
inline constexpr std::string_view kDatatypesMarker = "DATATYPES_USED";
inline constexpr std::string_view kElementCountsMarker = "STRUCTURE_ELEMENT_COUNTS";
inline constexpr std::string_view kExtentsMarker = "STRUCTURE EXTENTS";
inline constexpr std::string_view kHierarchyMarker = "HIERARCHY of INDEPENDENT STRUCTURES";

// The structure names of every structure list in the report, in order. Returns how many
// names did not fit the record's capacity.
std::size_t ReadStructureList(ScanResult& scan, CTextFile& report);

// TopStructure becomes the independent structure whose tree is deepest (the later one on a
// tie); it stays empty without a hierarchy.
void ChooseDefaultTop(ScanResult& scan, CTextFile& report);

// The layers and datatypes lists; each returns how many entries did not fit.
std::size_t ReadLayers(ScanResult& scan, CTextFile& report);
std::size_t ReadDatatypes(ScanResult& scan, CTextFile& report);

// Counts and extents are matched to structures by row order, not by name. The record holds
// 32-bit extents while the report's are exact: ReadExtents holds larger values at the limits
// and returns how many structures it did that for.
void ReadElementCounts(ScanResult& scan, CTextFile& report);
std::size_t ReadExtents(ScanResult& scan, CTextFile& report);

// Marks the structures in the tree of `name` (itself included) and counts them.
void MarkTree(ScanResult& scan, CTextFile& report, std::string_view name);

// The drawing of the tree of `name`: its name, then the lines below it from its own column
// on, each ended by CR LF. Empty when the hierarchy does not name it.
std::string TreeText(CTextFile& report, std::string_view name);

struct ScanReportRead {
  bool opened = false;
  std::size_t structuresDropped = 0;  // entries beyond the capacities, cut from the record
  std::size_t layersDropped = 0;
  std::size_t datatypesDropped = 0;
  std::size_t extentsSaturated = 0;  // structures whose extents were held at the 32-bit limits
  // The scanner's account of damage that stopped it ("offset N: ...; the scan stopped there
  // and reports what was read before"); empty for an input read to its end.
  std::string damage;

  bool Cut() const { return structuresDropped > 0 || layersDropped > 0 || datatypesDropped > 0; }
};

// The whole read after a scan, in the order the parts depend on one another: structures,
// default top, layers, datatypes, counts, extents, and the marks of the top structure's tree.
// The caller resets the record first; ScannedFile and ReportFile are left to it as well.
ScanReportRead ReadScanReport(ScanResult& scan, const std::string& reportPath);

// The text of the header's "Error: " line (before the structure list), or "".
std::string ReadDamage(CTextFile& report);

}  // namespace korvex
