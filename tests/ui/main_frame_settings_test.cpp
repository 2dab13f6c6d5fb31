#include <gtest/gtest.h>

#include <QStatusBar>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ui/fake_prompts.h"
#include "ui/main_frame.h"

namespace korvex {
namespace {

std::filesystem::path StorePath() {
  return std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "Helvorn" / "Korvex.ini";
}

TEST(MainFrameSettings, LoadedWhenCreatedAndSavedWhenClosed) {
  std::filesystem::create_directories(StorePath().parent_path());
  std::ofstream(StorePath()) << "[Korvex]\nMergeMode=3\nStatusbar=0\nNewTopStr=CHIP\n";
  JobSettings settings;
  ScanResult scan;
  test::FakePrompts prompts;
  {
    CMainFrame frame(settings, scan, prompts);
    EXPECT_EQ(settings.MergeMode, 3);
    EXPECT_EQ(settings.NewTopStr, "CHIP");
    EXPECT_FALSE(frame.statusBar()->isVisibleTo(&frame));
    settings.NewTopStr = "OTHER";
    frame.show();
    frame.close();
  }
  std::ifstream in(StorePath());
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("NewTopStr=OTHER\n"), std::string::npos) << text.str();
  EXPECT_NE(text.str().find("MergeMode=3\n"), std::string::npos);
  EXPECT_NE(text.str().find("Statusbar=0\n"), std::string::npos);
  std::filesystem::remove(StorePath());
}

}  // namespace
}  // namespace korvex
