#pragma once

#include <string>

#include "core/inspect/scan_report.h"
#include "core/inspect/scan_result.h"
#include "core/job/job_settings.h"
#include "core/job/run_host.h"
#include "core/support/launcher.h"

namespace korvex {

inline constexpr const char* kScannerProgramName = "quarn.exe";

// What a scan needs of the main window beyond every run's needs.
class ScanHost : public virtual RunHost {
 public:
  // Closes the structure selection window and its information and dependency windows.
  virtual void CloseStructureWindows() = 0;
  // Empties the log view as for a new document: plain title, no log shown.
  virtual void EmptyLogView() = 0;
  virtual void AddToRecentFiles(const std::string& path) = 0;
};

// The scanner's argument text for an input file and the report it is to write.
std::string ScannerArguments(const std::string& inputFile, const std::string& reportPath);

// The status text after a successful scan; it says what a report too large for the record
// lost, and whether extents beyond the 32-bit range are shown held at its limits.
std::string ScanFinishedText(const ScanReportRead& read);

// Scans path as the new input file: runs the scanner in the working directory, reads its
// report into scan and resets the layer and datatype lists to everything found. A scan that
// fails changes nothing but the status text (and closes the structure windows).
bool RunScan(const std::string& path, JobSettings& settings, ScanResult& scan, Launcher& launcher,
             ScanHost& host);

// The open-file operation: a ".log" file is shown in the log view, any other file is scanned
// and its report shown. True when a file is now shown in the view.
bool OpenFile(const std::string& path, JobSettings& settings, ScanResult& scan, Launcher& launcher,
              ScanHost& host);

}  // namespace korvex
