#include "core/options/structure_details.h"

#include "core/inspect/scan_report.h"
#include "core/options/structure_selection_model.h"

namespace korvex {
namespace {

std::string Pair(const ScanResult& scan, std::int32_t x, std::int32_t y) {
  std::string pair = "(";
  pair.append(FormatCoordinate(scan, x)).append(" , ").append(FormatCoordinate(scan, y)).append(")");
  return pair;
}

}  // namespace

StructureInformation DescribeStructure(const ScanResult& scan, std::string_view name) {
  const std::optional<std::int32_t> index = FindStructure(scan, name);
  if (!index) return {};
  const Extent& extent = scan.Extents[static_cast<std::size_t>(*index)];
  const ElementCount& counts = scan.ElementCounts[static_cast<std::size_t>(*index)];
  return {Pair(scan, extent.MinX, extent.MinY),     Pair(scan, extent.MaxX, extent.MaxY),
          std::to_string(counts.Boundary),         std::to_string(counts.Path),
          std::to_string(counts.SRef),             std::to_string(counts.ARef),
          std::to_string(counts.Text)};
}

StructureDependencies DescribeDependencies(const ScanResult& scan, std::string_view name) {
  auto report = scan.ReportFile.empty() ? nullptr : CTextFile::Open(scan.ReportFile);
  if (!report) return {Outcome<int>::Refuse(ScanReportMissingMessage(scan.ReportFile)), {}};
  std::string drawing = TreeText(*report, name);
  std::string text;
  text.reserve(drawing.size());
  for (const char c : drawing) {
    if (c != '\r') text += c;
  }
  return {Outcome<int>::Accept(), text};
}

}  // namespace korvex
