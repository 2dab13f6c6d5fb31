#pragma once

#include <memory>
#include <string>

#include "core/inspect/scan_result.h"
#include "core/job/job_settings.h"
#include "core/run/companion_fixture.h"
#include "ui/fake_prompts.h"
#include "ui/main_frame.h"

namespace korvex::test {

// A main window on a private configuration folder, with fake companions in its program
// directory and prompts that a test answers.
class FrameTest : public CompanionTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Stores settings as a previous run would have left them; call before MakeFrame.
  void StoreSettings(const std::string& keys);
  std::string StoredSettings() const;
  // Loading the settings empties WorkingDirectory: tests set it afterwards.
  void MakeFrame();
  // A layout file for the scanner; its bytes do not matter to the fake.
  std::string MakeInput(const std::string& name);
  // Scans through Select GDS File with the fake scanner.
  bool SelectAndScan(const std::string& input);
  std::string ViewText() const;
  std::string LastMessage() const;

  JobSettings settings_;
  ScanResult scan_;
  FakePrompts prompts_;
  std::unique_ptr<CMainFrame> frame_;
  std::string dataDir_;

 private:
  std::string savedConfig_;
};

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
