// Feeds arbitrary bytes to the scan report reader and its queries, and uses the same bytes
// as a structure report template. Whatever comes in, the record must stay within its tables.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "core/inspect/scan_report.h"
#include "core/inspect/scan_result.h"
#include "core/inspect/structure_report.h"

namespace {

using namespace korvex;

// An in-memory file reachable by path, so that the readers open it as they open a report.
class MemoryFile {
 public:
  explicit MemoryFile(const char* name) : m_fd(::memfd_create(name, 0)) {
    if (m_fd < 0) std::abort();
    m_path = "/proc/self/fd/" + std::to_string(m_fd);
  }
  void Fill(const std::uint8_t* data, std::size_t size) {
    if (::ftruncate(m_fd, 0) != 0 || ::pwrite(m_fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
  }
  const std::string& path() const { return m_path; }

 private:
  int m_fd;
  std::string m_path;
};

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckRecord(const ScanResult& scan) {
  Require(scan.StructureCount >= 0 && static_cast<std::size_t>(scan.StructureCount) <= scan.StructureNames.size());
  Require(scan.LayerCount >= 0 && scan.LayerCount <= kMaxLayers);
  Require(scan.DatatypeCount >= 0 && scan.DatatypeCount <= kMaxDatatypes);
  Require(scan.TopStructure.size() <= kStructureNameLength);
  Require(scan.UserUnits.size() <= kUserUnitsLength);
  // Marks are 0 or 1, and none lies beyond the structures.
  const std::uint8_t* marks = scan.TreeMarks.data();
  Require(std::memchr(marks + scan.StructureCount, 1, scan.TreeMarks.size() - static_cast<std::size_t>(scan.StructureCount)) == nullptr);
  std::int32_t marked = 0;
  for (std::int32_t i = 0; i < scan.StructureCount; ++i) {
    Require(marks[i] <= 1);
    marked += marks[i];
  }
  Require(marked == scan.TreeCount);
  for (std::int32_t i = 0; i < scan.StructureCount; ++i) {
    Require(scan.StructureNames[i].size() <= kStructureNameLength);
    Require(scan.NameChecks[i] == NameCheck(scan.StructureNames[i]));
    const auto found = FindStructure(scan, scan.StructureNames[i]);
    Require(found && *found <= i && scan.StructureNames[*found] == scan.StructureNames[i]);
  }
  for (std::int32_t i = 0; i < scan.LayerCount; ++i) Require(scan.Layers[i].size() <= kLayerTextLength);
  for (std::int32_t i = 0; i < scan.DatatypeCount; ++i) Require(scan.Datatypes[i].size() <= kDatatypeTextLength);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MemoryFile input("fuzz-report");
  static MemoryFile output("fuzz-report-out");
  static ScanResult scan;
  input.Fill(data, size);

  ResetScanResult(scan);
  const ScanReportRead read = ReadScanReport(scan, input.path());
  Require(read.opened);
  CheckRecord(scan);

  const auto report = CTextFile::Open(input.path());
  Require(report != nullptr);
  for (const std::int32_t i : {0, scan.StructureCount / 2, scan.StructureCount - 1}) {
    if (i < 0 || i >= scan.StructureCount) continue;
    const std::string name = scan.StructureNames[i];
    MarkTree(scan, *report, name);
    CheckRecord(scan);
    TreeText(*report, name);
    for (const std::int32_t v : {scan.Extents[i].MinX, scan.Extents[i].MaxY}) FormatCoordinate(scan, v);
  }

  std::tm now{};
  now.tm_year = 124;
  now.tm_hour = 23;
  WriteStructureReport(scan, scan.TopStructure, input.path(), output.path(), now);
  return 0;
}
