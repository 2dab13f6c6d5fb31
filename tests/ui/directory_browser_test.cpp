#include "ui/directory_browser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace korvex {
namespace {
namespace fs = std::filesystem;

class DirectoryBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("korvex-browse-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(root_ / "b dir" / "inner");
    fs::create_directories(root_ / "a");
    std::ofstream(root_ / "file.gds") << "x";
  }
  void TearDown() override { fs::remove_all(root_); }
  fs::path root_;
};

TEST_F(DirectoryBrowserTest, MovesByNamePathAndHome) {
  DirectoryBrowser browser(root_.string(), (root_ / "a").string());
  EXPECT_EQ(browser.Subdirectories(), (std::vector<std::string>{"..", "a", "b dir"}));
  EXPECT_TRUE(browser.MoveTo("b dir"));
  EXPECT_EQ(browser.Current(), (root_ / "b dir").string());
  EXPECT_TRUE(browser.MoveTo("inner/../.."));
  EXPECT_EQ(browser.Current(), root_.string());
  EXPECT_TRUE(browser.MoveTo("~"));
  EXPECT_EQ(browser.Current(), (root_ / "a").string());
  EXPECT_TRUE(browser.MoveTo((root_ / "b dir" / "inner").string() + "/"));
  EXPECT_EQ(browser.Current(), (root_ / "b dir" / "inner").string());
  EXPECT_TRUE(browser.MoveTo("/"));
  EXPECT_EQ(browser.Current(), "/");
  EXPECT_EQ(browser.Subdirectories().front() == "..", false);
}

TEST_F(DirectoryBrowserTest, RefusesFilesAndMissingPathsWithoutMoving) {
  DirectoryBrowser browser(root_.string());
  EXPECT_FALSE(browser.MoveTo("file.gds"));
  EXPECT_FALSE(browser.MoveTo("missing"));
  EXPECT_FALSE(browser.MoveTo(""));
  EXPECT_FALSE(browser.MoveTo("~"));  // no home given
  EXPECT_EQ(browser.Current(), root_.string());
}

TEST(VolumePlaces, RootHomeAndMountedVolumes) {
  const std::string table =
      "/dev/sda1 / ext4 rw 0 0\n"
      "proc /proc proc rw 0 0\n"
      "/dev/sdb1 /media/ann/USB\\040STICK vfat rw 0 0\n"
      "/dev/sdc1 /run/media/ann/DATA ext4 rw 0 0\n"
      "server:/x /mnt/share nfs rw 0 0\n"
      "tmpfs /mnt tmpfs rw 0 0\n"
      "/dev/sdb1 /media/ann/USB\\040STICK vfat rw 0 0\n";
  EXPECT_EQ(VolumePlaces(table, "/home/ann"),
            (std::vector<std::string>{"/", "/home/ann", "/media/ann/USB STICK", "/run/media/ann/DATA", "/mnt/share"}));
  EXPECT_EQ(VolumePlaces("", ""), std::vector<std::string>{"/"});
}

}  // namespace
}  // namespace korvex
