#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/inspect/scan_report.h"
#include "core/inspect/scan_result.h"

namespace korvex::testing {

// Lines joined with LF, each ended by one.
inline std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

// Writes reports into a fresh folder of its own and reads them back.
class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "korvex-inspect-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    m_dir = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }

  std::string Write(const std::string& text, const std::string& name = "chip.ssn") {
    const std::string path = (m_dir / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  std::unique_ptr<CTextFile> Open(const std::string& text) {
    auto file = CTextFile::Open(Write(text));
    EXPECT_NE(file, nullptr);
    return file;
  }

  // The scan run's whole read on a fresh record.
  ScanReportRead Read(const std::string& text) {
    ResetScanResult(scan);
    return ReadScanReport(scan, Write(text));
  }

  std::vector<std::string> Names() const {
    return {scan.StructureNames.begin(), scan.StructureNames.begin() + scan.StructureCount};
  }
  std::vector<std::string> MarkedNames() const {
    std::vector<std::string> names;
    for (std::int32_t i = 0; i < scan.StructureCount; ++i) {
      if (scan.TreeMarks[i]) names.push_back(scan.StructureNames[i]);
    }
    return names;
  }

  std::filesystem::path m_dir;
  ScanResult scan;
};

}  // namespace korvex::testing
