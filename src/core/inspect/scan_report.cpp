#include "core/inspect/scan_report.h"

namespace korvex {

ScanReportRead ReadScanReport(ScanResult& scan, const std::string& reportPath) {
  ScanReportRead read;
  const auto report = CTextFile::Open(reportPath);
  if (!report) return read;
  read.opened = true;
  read.structuresDropped = ReadStructureList(scan, *report);
  ChooseDefaultTop(scan, *report);
  read.layersDropped = ReadLayers(scan, *report);
  read.datatypesDropped = ReadDatatypes(scan, *report);
  ReadElementCounts(scan, *report);
  read.extentsSaturated = ReadExtents(scan, *report);
  MarkTree(scan, *report, scan.TopStructure);
  read.damage = ReadDamage(*report);
  return read;
}

std::string ReadDamage(CTextFile& report) {
  constexpr std::string_view kError = "Error: ";
  report.Rewind();
  while (report.ReadLine()) {
    const std::string_view line = report.line();
    if (line == kStructureListMarker) break;
    if (line.starts_with(kError)) return std::string(line.substr(kError.size()));
  }
  return {};
}

}  // namespace korvex
