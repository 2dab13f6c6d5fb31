#include <cstring>
#include <type_traits>

#include "core/inspect/report_fields.h"
#include "core/inspect/scan_report.h"
#include "core/support/number_text.h"

namespace korvex {
namespace {

// The tables are cleared with memset, which is what zero means for them.
static_assert(std::is_trivially_copyable_v<ElementCount> && std::is_trivially_copyable_v<Extent>);

// Moves to the line after the first one that begins with `marker`; false when none does.
bool FindSectionStart(CTextFile& report, std::string_view marker) {
  report.Rewind();
  while (report.ReadLine()) {
    if (report.line().starts_with(marker)) return true;
  }
  return false;
}

// Calls `store(row, values)` for each row of parenthesised values, numbered from 0, until a
// row is malformed or every listed structure has its row.
template <typename Store>
void ReadRows(const ScanResult& scan, CTextFile& report, std::size_t valuesPerRow, Store store) {
  for (std::int32_t row = 0; row < scan.StructureCount && report.ReadLine(); ++row) {
    const std::string_view line = report.line();
    if (line.empty()) return;
    const auto values = RowValues(line, valuesPerRow);
    if (!values) return;
    store(row, *values);
  }
}

// The text after the first ":" of a line that begins with `label`; none otherwise.
std::optional<std::string_view> LabelledValue(CTextFile& report, std::string_view label) {
  if (!report.ReadLine() || !report.line().starts_with(label)) return std::nullopt;
  const std::size_t colon = report.line().find(':');
  if (colon == std::string_view::npos) return std::nullopt;
  return report.line().substr(colon + 1);
}

}  // namespace

void ReadElementCounts(ScanResult& scan, CTextFile& report) {
  std::memset(static_cast<void*>(scan.ElementCounts.data()), 0, scan.ElementCounts.size() * sizeof(ElementCount));
  if (!FindSectionStart(report, kElementCountsMarker)) return;
  if (!report.ReadLine()) return;  // column heading
  ReadRows(scan, report, 5, [&](std::int32_t row, const std::vector<std::string>& v) {
    scan.ElementCounts[row] = {LeadingInteger(v[0]), LeadingInteger(v[1]), LeadingInteger(v[2]),
                               LeadingInteger(v[3]), LeadingInteger(v[4])};
  });
}

std::size_t ReadExtents(ScanResult& scan, CTextFile& report) {
  std::memset(static_cast<void*>(scan.Extents.data()), 0, scan.Extents.size() * sizeof(Extent));
  if (!FindSectionStart(report, kExtentsMarker)) return 0;
  const auto resolution = LabelledValue(report, "Resolution");
  if (!resolution) return 0;
  scan.Resolution = LeadingInteger(std::string(*resolution));
  const auto units = LabelledValue(report, "User Units");
  if (!units) return 0;
  scan.UserUnits.assign(units->substr(0, kUserUnitsLength));
  if (!report.ReadLine()) return 0;  // column heading
  // Rounded, not truncated: 1.005 x 1000 is 1004.999... in binary and means 1005.
  const double scale = scan.Resolution;
  std::size_t saturated = 0;
  ReadRows(scan, report, 4, [&](std::int32_t row, const std::vector<std::string>& v) {
    double dbu[4];
    bool beyond = false;
    for (int k = 0; k < 4; ++k) {
      dbu[k] = LeadingReal(v[static_cast<std::size_t>(k)]) * scale;
      beyond = beyond || BeyondInt32(dbu[k]);
    }
    saturated += beyond;
    scan.Extents[row] = {RoundToInt32(dbu[0]), RoundToInt32(dbu[1]), RoundToInt32(dbu[2]), RoundToInt32(dbu[3])};
  });
  return saturated;
}

}  // namespace korvex
