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
  return read;
}

}  // namespace korvex
