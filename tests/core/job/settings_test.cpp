#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/job/settings_io.h"
#include "core/job/startup_arguments.h"

namespace korvex {
namespace {

namespace fs = std::filesystem;

class FakeWindow : public PlacementWindow {
 public:
  WindowRect NormalRect() const override { return rect; }
  bool IsMaximized() const override { return maximized; }
  void SetNormalRect(const WindowRect& r) override {
    rect = r;
    ++moves;
  }
  void ShowNormal() override { ++shows; }

  WindowRect rect{100, 50, 900, 650};
  bool maximized = false;
  int moves = 0;
  int shows = 0;
};

// Every test gets its own configuration folder; the user's real one is never touched.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("korvex_settings_" + std::to_string(::getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "config");
    ::setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path StorePath() const { return root_ / "config" / "Helvorn" / "Korvex.ini"; }
  std::string StoreText() const {
    std::ifstream in(StorePath());
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  void WriteStore(const std::string& text) {
    fs::create_directories(StorePath().parent_path());
    std::ofstream(StorePath()) << text;
  }

  fs::path root_;
  FakeWindow window_;
};

TEST_F(SettingsTest, FirstRunKeepsDefaultsAndCreatesTheStore) {
  JobSettings s;
  ProfileStore load;
  LoadSettings(s, load, &window_, "/opt/korvex/bin/korvex");
  EXPECT_EQ(s.ProgramDirectory, "/opt/korvex/bin");
  EXPECT_EQ(s.NewTopStr, "TOP");
  EXPECT_EQ(s.MaxText, 1000000);
  EXPECT_EQ(s.MaxVertex, 250000);
  EXPECT_EQ(s.Prune, 1);
  EXPECT_EQ(s.LowerCase, 1);
  EXPECT_EQ(s.MergeMode, 0);
  EXPECT_EQ(s.InputFile, "");
  EXPECT_EQ(window_.moves, 0);
  EXPECT_FALSE(fs::exists(StorePath()));

  ProfileStore save;
  ASSERT_TRUE(SaveSettings(s, save, &window_, true, false));
  ASSERT_TRUE(fs::exists(StorePath()));
  const std::string text = StoreText();
  EXPECT_EQ(text.rfind("[Korvex]\nInputFile=\nWorkingDirectory=\nGDSViewerPath=\nMinWidth=0\nMaxText=1000000\n", 0), 0u)
      << text;
  EXPECT_NE(text.find("Toolbar=0\n"), std::string::npos);
  EXPECT_NE(text.find("WindowTopX=100\nWindowTopY=50\nWindowBotX=900\nWindowBotY=650\nWindowshowCmd=0\n"),
            std::string::npos);
}

TEST_F(SettingsTest, SecondRunReadsBackWhatTheFirstSaved) {
  fs::create_directories(root_ / "work");
  std::ofstream(root_ / "lumat.exe") << "";
  JobSettings first;
  first.InputFile = (root_ / "in put.gds").string();
  first.WorkingDirectory = (root_ / "work").string();
  first.GDSViewerPath = (root_ / "lumat.exe").string();
  first.MinWidth = 0.35;
  first.MaxText = 12.5;
  first.MergeMode = 3;
  first.Combine = 1;
  first.NewTopStr = std::string(255, 'N');
  first.MinExt = 0.001;
  first.AreaRatio = 3.14159265358979;
  first.MaxVertex = 4000;
  first.PFOn = 1;
  ProfileStore save;
  window_.maximized = true;
  ASSERT_TRUE(SaveSettings(first, save, &window_, false, true));
  EXPECT_NE(StoreText().find("WindowshowCmd=1"), std::string::npos);

  JobSettings second;
  FakeWindow other;
  other.rect = {1, 1, 2, 2};
  ProfileStore load;
  LoadSettings(second, load, &other, "/bin/korvex");
  EXPECT_EQ(second.InputFile, first.InputFile);
  EXPECT_EQ(second.WorkingDirectory, first.WorkingDirectory);
  EXPECT_EQ(second.GDSViewerPath, first.GDSViewerPath);
  EXPECT_DOUBLE_EQ(second.MinWidth, 0.35);
  EXPECT_DOUBLE_EQ(second.MaxText, 12.5);
  EXPECT_EQ(second.MergeMode, 3);
  EXPECT_EQ(second.Combine, 1);
  EXPECT_EQ(second.NewTopStr, first.NewTopStr);
  EXPECT_DOUBLE_EQ(second.MinExt, 0.001);
  EXPECT_DOUBLE_EQ(second.AreaRatio, 3.1415926536);
  EXPECT_EQ(second.MaxVertex, 4000);
  EXPECT_EQ(second.PFOn, 1);
  EXPECT_EQ(second.Statusbar, 0);
  // The maximised window comes back at its normal rectangle, shown normally.
  EXPECT_EQ(other.rect.left, 100);
  EXPECT_EQ(other.rect.bottom, 650);
  EXPECT_EQ(other.shows, 1);
}

TEST_F(SettingsTest, StaleAndOddStoredValues) {
  WriteStore(
      "[korvex]\n"
      "workingdirectory=/no/such/dir\n"
      "GDSViewerPath=/no/such/lumat.exe\n"
      "MinWidth=abc\n"
      "MaxText=\n"
      "MergeMode=2xyz\n"
      "Prune=\n"
      "NewTopStr=x\n"
      "WindowTopX=0\nWindowTopY=10\nWindowBotX=500\nWindowBotY=400\nWindowshowCmd=0\n");
  JobSettings s;
  s.GDSViewerPath = "/kept/lumat.exe";
  s.InputFile = "/old.gds";
  ProfileStore load;
  LoadSettings(s, load, &window_, "/bin/korvex");
  EXPECT_EQ(s.WorkingDirectory, "");
  EXPECT_EQ(s.GDSViewerPath, "/kept/lumat.exe");
  EXPECT_EQ(s.InputFile, "");  // a missing key clears the input file
  EXPECT_EQ(s.MinWidth, 0);    // a text without a number gives 0
  EXPECT_EQ(s.MaxText, 0);     // so does an empty one
  EXPECT_EQ(s.MergeMode, 2);
  EXPECT_EQ(s.Prune, 1);  // an empty integer counts as missing
  EXPECT_EQ(s.NewTopStr, "x");
  EXPECT_EQ(window_.moves, 0);  // a left edge of 0 counts as unset
}

TEST_F(SettingsTest, FailedRenameLeavesTheOldStoreWhole) {
  WriteStore("[Korvex]\nNewTopStr=OLD\n");
  JobSettings s;
  s.NewTopStr = "NEW";
  ProfileStore save;
  save.SetRenameForTesting([](const char*, const char*) {
    errno = EIO;
    return -1;
  });
  EXPECT_FALSE(SaveSettings(s, save, nullptr, true, true));
  EXPECT_EQ(StoreText(), "[Korvex]\nNewTopStr=OLD\n");
  for (const auto& entry : fs::directory_iterator(StorePath().parent_path())) {
    EXPECT_EQ(entry.path().filename(), "Korvex.ini") << "temporary file left behind";
  }
}

TEST_F(SettingsTest, LineBreaksCannotInjectKeys) {
  JobSettings s;
  s.NewTopStr = "TOP\nMergeMode=3";
  ProfileStore save;
  ASSERT_TRUE(SaveSettings(s, save, nullptr, true, true));
  EXPECT_EQ(StoreText().find("TOP\n"), std::string::npos);
  JobSettings back;
  ProfileStore load;
  LoadSettings(back, load, nullptr, "/bin/korvex");
  EXPECT_EQ(back.MergeMode, 0);
  EXPECT_EQ(back.NewTopStr, "TOP");
}

TEST_F(SettingsTest, StoreKeepsOtherSectionsAndReadsTextsExactly) {
  WriteStore("; comment\n[Recent File List]\nFile1=/a.gds\n\n[Korvex]\nA=x\nB=\n");
  ProfileStore store;
  ASSERT_TRUE(store.Open("Korvex"));
  std::string text = "unchanged";
  EXPECT_TRUE(store.ReadText("a", text, 260));
  EXPECT_EQ(text, "x");
  EXPECT_TRUE(store.ReadText("B", text, 260));
  EXPECT_EQ(text, "");
  text = "unchanged";
  EXPECT_FALSE(store.ReadText("C", text, 260));
  EXPECT_EQ(text, "unchanged");
  EXPECT_TRUE(store.WriteInteger("C", -1));
  ASSERT_TRUE(store.Close());
  EXPECT_EQ(StoreText(), "; comment\n[Recent File List]\nFile1=/a.gds\n\n[Korvex]\nA=x\nB=\nC=4294967295\n");
}

TEST(StartupArguments, DebugSwitchAnywhereOpensNothing) {
  EXPECT_TRUE(ParseStartupArguments("/w/chip.gds -dbgx").debugMode);
  EXPECT_EQ(ParseStartupArguments("/w/chip.gds -dbgx").fileToOpen, "");
  EXPECT_TRUE(ParseStartupArguments("x-dbgxy").debugMode);
  const StartupRequest plain = ParseStartupArguments("/w/my chip.gds");
  EXPECT_FALSE(plain.debugMode);
  EXPECT_EQ(plain.fileToOpen, "/w/my chip.gds");
  const char* argv[] = {"korvex", "/w/my", "chip.gds"};
  EXPECT_EQ(JoinArguments(3, argv), "/w/my chip.gds");
  EXPECT_EQ(ProgramDirectoryOf("\"/opt/k/korvex"), "/opt/k");
}

}  // namespace
}  // namespace korvex
