#include "core/inspect/structure_report.h"

#include <unistd.h>

#include <array>
#include <functional>

#include "core/support/directive_format.h"
#include "core/support/template_report.h"

namespace korvex {
namespace {

constexpr std::size_t kTemplateLineSize = 128;
constexpr std::size_t kFormattedLineLength = 255;

using Values = std::vector<DirectiveValue>;

class StructureReportWriter {
 public:
  StructureReportWriter(const ScanResult& scan, std::string_view structure, const std::tm& now)
      : m_scan(scan), m_structure(structure), m_now(now) {}

  // The result of the last report operation: 0, or TemplateReport::kWriteFailed.
  int Run(TemplateReport& report) {
    m_report = &report;
    std::string text;
    for (;;) {
      const int directive = report.NextTemplateDirective(text, kTemplateLineSize);
      if (directive < 0) return directive == TemplateReport::kWriteFailed ? directive : 0;
      if (Handle(directive, text) != 0) return TemplateReport::kWriteFailed;
    }
  }

 private:
  int Write(const std::string& format, const Values& values) {
    return m_report->WriteReportLine(FormatDirective(format, values, kFormattedLineLength));
  }

  int Handle(int directive, const std::string& text) {
    switch (directive) {
      case 0: return m_report->WriteReportLine(text);
      case 1: return Write(text, DateAndTime());
      case 2: return Write(text, {m_scan.ScannedFile});
      case 3: return Write(text, {std::string(m_structure)});
      case 4: return Write(text, {static_cast<long long>(m_scan.TreeCount)});
      case 5: return Write(text, {std::to_string(m_scan.Resolution)});
      case 6: return Write(text, {m_scan.UserUnits});
      case 7: case 11: m_rows[0] = text; return 0;
      case 8: case 12: m_rows[1] = text; return 0;
      case 9: case 13: m_rows[2] = text; return 0;
      case 10: m_rows[3] = text; return ExtentsTable();
      case 14: m_rows[3] = text; return CountsTable();
      default: return 0;
    }
  }

  Values DateAndTime() const {
    const int hour = m_now.tm_hour == 12 ? 12 : m_now.tm_hour % 12;
    return {static_cast<long long>(m_now.tm_mon + 1), static_cast<long long>(m_now.tm_mday),
            static_cast<long long>(m_now.tm_year) + 1900, static_cast<long long>(hour),
            static_cast<long long>(m_now.tm_min), static_cast<long long>(m_now.tm_sec),
            std::string(m_now.tm_hour < 12 ? "am" : "pm")};
  }

  // Four rows for each structure of the marked tree, in index order.
  int Table(const std::function<std::array<Values, 3>(std::int32_t index, long long k)>& rows) {
    long long k = 0;
    for (std::int32_t i = 0; i < m_scan.StructureCount && k < m_scan.TreeCount; ++i) {
      if (m_scan.TreeMarks[i] == 0) continue;
      const auto values = rows(i, ++k);
      for (std::size_t row = 0; row < 3; ++row) {
        if (Write(m_rows[row], values[row]) != 0) return TemplateReport::kWriteFailed;
      }
      if (Write(m_rows[3], {}) != 0) return TemplateReport::kWriteFailed;
    }
    return 0;
  }

  int ExtentsTable() {
    return Table([this](std::int32_t i, long long k) {
      const Extent& e = m_scan.Extents[i];
      return std::array<Values, 3>{Values{FormatCoordinate(m_scan, e.MinX), FormatCoordinate(m_scan, e.MinY)},
                                   Values{k, m_scan.StructureNames[i]},
                                   Values{FormatCoordinate(m_scan, e.MaxX), FormatCoordinate(m_scan, e.MaxY)}};
    });
  }

  int CountsTable() {
    return Table([this](std::int32_t i, long long k) {
      const ElementCount& c = m_scan.ElementCounts[i];
      return std::array<Values, 3>{Values{static_cast<long long>(c.Boundary), static_cast<long long>(c.Path)},
                                   Values{k, m_scan.StructureNames[i]},
                                   Values{static_cast<long long>(c.SRef), static_cast<long long>(c.ARef),
                                          static_cast<long long>(c.Text)}};
    });
  }

  const ScanResult& m_scan;
  std::string_view m_structure;
  std::tm m_now;
  TemplateReport* m_report = nullptr;
  std::array<std::string, 4> m_rows;
};

}  // namespace

int WriteStructureReport(const ScanResult& scan, std::string_view structure, const std::string& templatePath,
                         const std::string& reportPath, const std::tm& now) {
  TemplateReport report;
  if (report.OpenTemplateReport(templatePath, reportPath) != TemplateReport::kOpened) return 1;
  const int last = StructureReportWriter(scan, structure, now).Run(report);
  report.CloseTemplateReport();
  if (last == TemplateReport::kWriteFailed) {
    ::unlink(reportPath.c_str());
    return 1;
  }
  return 0;
}

int WriteStructureReport(const ScanResult& scan, std::string_view structure, const std::string& templatePath,
                         const std::string& reportPath) {
  const std::time_t clock = std::time(nullptr);
  std::tm now{};
  ::localtime_r(&clock, &now);
  return WriteStructureReport(scan, structure, templatePath, reportPath, now);
}

}  // namespace korvex
