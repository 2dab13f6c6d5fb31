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

}  // namespace korvex::test
