#include "core/inspect/report_fields.h"
#include "core/inspect/scan_report.h"

namespace korvex {
namespace {

// The first section under `marker`: after one heading line, comma-separated numbers on
// lines up to an empty one. Pieces are kept as written, blanks included.
std::size_t ReadNumberList(CTextFile& report, std::string_view marker, std::vector<std::string>& slots,
                           std::int32_t& count, std::size_t width) {
  count = 0;
  std::size_t dropped = 0;
  report.Rewind();
  while (report.ReadLine()) {
    if (report.line() != marker) continue;
    if (!report.ReadLine()) break;  // the heading, whatever it holds
    while (report.ReadLine() && !report.line().empty()) {
      std::string_view rest = SkipBlanksAndTabs(report.line());
      while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        const std::string_view piece = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
        if (piece.empty()) continue;
        if (count < static_cast<std::int32_t>(slots.size())) {
          slots[count++].assign(piece.substr(0, width));
        } else {
          ++dropped;
        }
      }
    }
    break;
  }
  return dropped;
}

}  // namespace

std::size_t ReadLayers(ScanResult& scan, CTextFile& report) {
  return ReadNumberList(report, kLayersMarker, scan.Layers, scan.LayerCount, kLayerTextLength);
}

std::size_t ReadDatatypes(ScanResult& scan, CTextFile& report) {
  return ReadNumberList(report, kDatatypesMarker, scan.Datatypes, scan.DatatypeCount, kDatatypeTextLength);
}

}  // namespace korvex
