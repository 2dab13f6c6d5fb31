#include "core/options/structure_selection_model.h"

#include <algorithm>
#include <cctype>

#include "core/inspect/scan_report.h"
#include "core/inspect/structure_report.h"
#include "core/options/scan_lists.h"
#include "core/support/paths.h"

namespace korvex {
namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  const bool less = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                                 [](char x, char y) { return Lower(x) < Lower(y); });
  const bool greater = std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(),
                                                    [](char x, char y) { return Lower(x) < Lower(y); });
  // Names equal but for case keep a fixed order.
  return less || (!greater && a < b);
}

bool BeginsIgnoringCase(std::string_view text, std::string_view prefix) {
  if (prefix.size() > text.size()) return false;
  return std::equal(prefix.begin(), prefix.end(), text.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

}  // namespace

std::string ScanReportMissingMessage(const std::string& reportFile) {
  if (reportFile.empty()) return "No GDS file has been scanned yet, so there is no scan report to read.";
  return "The scan report " + reportFile + " cannot be opened.";
}

void StructureSelectionModel::Show() {
  m_selected = m_scan.TopStructure;
  m_entries = ScannedStructures(m_scan);
  std::sort(m_entries.begin(), m_entries.end(), LessIgnoringCase);
}

std::optional<std::size_t> StructureSelectionModel::EntryBeginningWith(std::string_view text) const {
  if (text.empty()) return std::nullopt;
  for (std::size_t i = 0; i < m_entries.size(); ++i) {
    if (BeginsIgnoringCase(m_entries[i], text)) return i;
  }
  return std::nullopt;
}

Outcome<int> StructureSelectionModel::Mark(const std::string& name) {
  auto report = m_scan.ReportFile.empty() ? nullptr : CTextFile::Open(m_scan.ReportFile);
  if (!report) return Outcome<int>::Refuse(ScanReportMissingMessage(m_scan.ReportFile));
  MarkTree(m_scan, *report, name);
  return Outcome<int>::Accept();
}

Outcome<int> StructureSelectionModel::PickEntry(std::size_t entry) {
  if (entry >= m_entries.size()) return Outcome<int>::Accept();
  m_selected = m_entries[entry];
  return Mark(m_selected);
}

StructureSelectionModel::Typed StructureSelectionModel::Type(std::string_view text) {
  text = text.substr(0, kTypedLength);
  if (!FindStructure(m_scan, text)) return {};
  m_selected = std::string(text);
  return {true, Mark(m_selected)};
}

Outcome<int> StructureSelectionModel::Ok() {
  Outcome<int> marked = Mark(m_selected);
  if (marked.accepted) m_scan.TopStructure = m_selected;
  return marked;
}

Outcome<int> StructureSelectionModel::Cancel() { return Mark(m_scan.TopStructure); }

StructureSelectionModel::WrittenReport StructureSelectionModel::WriteReport(const std::string& reportDirectory,
                                                                            const std::string& templateDirectory) const {
  WrittenReport report;
  report.path = JoinPath(reportDirectory, kStructureReportFile);
  report.written = WriteStructureReport(m_scan, m_selected, JoinPath(templateDirectory, kStructureReportTemplate),
                                        report.path) == 0;
  return report;
}

}  // namespace korvex
