#include "ui/frame_fixture.h"

#include <QPlainTextEdit>

#include <cstdlib>
#include <filesystem>

#include "ui/pentra_view.h"

namespace korvex::test {

void FrameTest::SetUp() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  savedConfig_ = config != nullptr ? config : "";
  CompanionTest::SetUp();  // points XDG_CONFIG_HOME at a folder of its own
  for (const char* name : {"quarn.exe", "korvexe.exe", "lumat.exe"}) InstallFake(programDir_, name);
  dataDir_ = MakeDirectory("data");
  SetFake("KORVEX_FAKE_WRITE_TEXT", kScanReport);
}

void FrameTest::TearDown() {
  if (frame_) {
    frame_->close();
    frame_.reset();
  }
  CompanionTest::TearDown();
  // The base class removes its variables; later tests must not reach the user's settings.
  ::setenv("XDG_CONFIG_HOME", savedConfig_.c_str(), 1);
}

void FrameTest::StoreSettings(const std::string& keys) {
  const std::string dir = std::string(std::getenv("XDG_CONFIG_HOME")) + "/Helvorn";
  std::filesystem::create_directories(dir);
  WriteFile(dir + "/Korvex.ini", "[Korvex]\n" + keys);
}

std::string FrameTest::StoredSettings() const {
  return ReadFile(std::string(std::getenv("XDG_CONFIG_HOME")) + "/Helvorn/Korvex.ini");
}

void FrameTest::MakeFrame() {
  frame_ = std::make_unique<CMainFrame>(settings_, scan_, prompts_);
  settings_.ProgramDirectory = programDir_;
  frame_->show();
}

std::string FrameTest::MakeInput(const std::string& name) {
  const std::string path = dataDir_ + "/" + name;
  WriteFile(path, "not read by the fake scanner");
  return path;
}

bool FrameTest::SelectAndScan(const std::string& input) {
  prompts_.fileAnswers.push_back(input);
  frame_->OnSelectGdsFile();
  return scan_.ReportFile.size() > 0 && settings_.InputFile == input;
}

std::string FrameTest::ViewText() const { return frame_->View()->toPlainText().toStdString(); }

std::string FrameTest::LastMessage() const {
  return prompts_.messages.empty() ? std::string() : prompts_.messages.back().text;
}

}  // namespace korvex::test
