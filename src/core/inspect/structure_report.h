#pragma once

#include <ctime>
#include <string>
#include <string_view>

#include "core/inspect/scan_result.h"

namespace korvex {

// Names of the structure report's template (beside the programs) and of the report itself
// (in the working directory).
inline constexpr std::string_view kStructureReportTemplate = "gdsstrct.s_s";
inline constexpr std::string_view kStructureReportFile = "gdsstrct.rpt";

// Directives of the template, by number:
//   0 text as is          1 date and time: month, day, year, hour (12-hour clock), minute,
//   2 scanned file          second, "am"/"pm"
//   3 structure           4 structures in its tree     5 resolution (as text)   6 user units
//   7/11, 8/12, 9/13      row formats 1, 2, 3 of the tables (shared by both)
//   10, 14                row format 4, then the extents (10) or element-counts (14) table
// Each table has four lines per structure in the marked tree, numbered k = 1, 2, ...:
//   extents: row 1 (min X, min Y), row 2 (k, name), row 3 (max X, max Y), row 4 ()
//   counts:  row 1 (Boundary, Path), row 2 (k, name), row 3 (SRef, ARef, Text), row 4 ()
// Numbers above 15 are ignored.

// Writes the report of `structure`, whose tree the record's TreeMarks must hold, from the
// template. 0 when the report was written, 1 otherwise; a report that failed while being
// written is deleted.
int WriteStructureReport(const ScanResult& scan, std::string_view structure, const std::string& templatePath,
                         const std::string& reportPath, const std::tm& now);

// The same at the current local time.
int WriteStructureReport(const ScanResult& scan, std::string_view structure, const std::string& templatePath,
                         const std::string& reportPath);

}  // namespace korvex
