#include "core/inspect/report_fields.h"
#include "core/inspect/scan_report.h"

namespace korvex {

std::size_t ReadStructureList(ScanResult& scan, CTextFile& report) {
  ClearStructureList(scan);
  std::size_t dropped = 0;
  report.Rewind();
  // A report may hold several lists; their entries follow one another in the record.
  while (report.ReadLine()) {
    if (report.line() != kStructureListMarker) continue;
    while (report.ReadLine()) {
      const std::string_view entry = report.line();
      const std::size_t bracket = entry.find(')');
      if (bracket == std::string_view::npos) break;
      // Trailing blanks belong to the name; only those after the bracket are dropped.
      if (!AppendStructure(scan, SkipBlanksAndTabs(entry.substr(bracket + 1)))) ++dropped;
    }
  }
  return dropped;
}

}  // namespace korvex
