#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace korvex::test {

// What the fake companion recorded about one of its starts.
struct ChildRecord {
  bool present = false;
  std::string cwd;
  std::vector<std::string> args;  // argv[0] first
  std::vector<int> fds;
  std::optional<std::string> progressFd;  // its KORVEX_PROGRESS_FD, when it had one
};

// A temporary folder with a program directory holding the fake companion under the names of
// the real ones, a working directory and a private configuration folder. Every
// KORVEX_FAKE_* variable set through the fixture is removed again afterwards.
class CompanionTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Links the fake companion into dir under name and returns its path.
  std::string InstallFake(const std::string& dir, const std::string& name);
  void SetFake(const std::string& variable, const std::string& value);
  std::string RecordPath() const { return root_ + "/record.txt"; }
  void RecordChild() { SetFake("KORVEX_FAKE_RECORD", RecordPath()); }
  ChildRecord ReadRecord() const;

  std::string MakeDirectory(const std::string& relative);
  void WriteFile(const std::string& path, const std::string& bytes) const;
  std::string ReadFile(const std::string& path) const;

  std::string root_;
  std::string programDir_;
  std::string workDir_;

 private:
  std::vector<std::string> variables_;
};

// True when the process is gone or only a zombie (no longer running).
bool ProcessRunning(int pid);

// A small scan report of two structures, as the scanner writes it.
inline constexpr const char* kScanReport =
    "quarn scan of a test layout\n"
    "STRUCTURE_LIST\n1) TOP\n2) A\n\n"
    "LAYERS_CONTAINING_DATA\nLayers:\n1,2,10\n\n"
    "DATATYPES_USED\nDatatypes:\n0,5\n\n"
    "STRUCTURE_ELEMENT_COUNTS\nName (Boundary, Path, ARef, SRef, Text)\nTOP (1, 0, 0, 1, 0)\nA (2, 1, 0, 0, 3)\n\n"
    "STRUCTURE EXTENTS\nResolution: 1000\nUser Units: UM\nName (MinX, MinY, MaxX, MaxY)\n"
    "TOP (0, 0, 10, 10)\nA (0, 0, 5, 2.5)\n\n"
    "HIERARCHY of INDEPENDENT STRUCTURES\n\nTOP\n  |\n  |__ A\n";

}  // namespace korvex::test
