#include <gtest/gtest.h>

#include <QTest>
#include <QStatusBar>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ui/control_panel.h"
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

// What a window manager leaves after one ordinary run: a moved and resized window. The frame
// must start on it (nothing shown while half built) and come up at that rectangle.
TEST(MainFrameSettings, StartsOnAStoredPlacementAtItsSize) {
  std::filesystem::create_directories(StorePath().parent_path());
  std::ofstream(StorePath()) << "[Korvex]\nWindowTopX=479\nWindowTopY=419\nWindowBotX=1279\nWindowBotY=1019\n"
                                "WindowshowCmd=0\n";
  JobSettings settings;
  ScanResult scan;
  test::FakePrompts prompts;
  {
    CMainFrame frame(settings, scan, prompts);
    EXPECT_FALSE(frame.isVisible());  // the owner shows it
    frame.show();
    // The panel follows once the window is on the screen.
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame.ControlPanel()->isVisible(); }, 3000));
    EXPECT_EQ(frame.normalGeometry().size(), QSize(800, 600));
    EXPECT_EQ(frame.normalGeometry().topLeft(), QPoint(479, 419));
    frame.setGeometry(100, 120, 640, 480);
    frame.close();
  }
  std::ifstream in(StorePath());
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("WindowBotX=740\n"), std::string::npos) << text.str();
  EXPECT_NE(text.str().find("WindowBotY=600\n"), std::string::npos) << text.str();
  std::filesystem::remove(StorePath());
}

}  // namespace
}  // namespace korvex
