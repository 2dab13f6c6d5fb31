#include "ui/recent_files.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace korvex {
namespace {

using Files = std::vector<std::string>;

TEST(RecentFiles, NewestFirstFourAtMostNoDuplicates) {
  RecentFileList list;
  for (const char* path : {"/a.gds", "/b.gds", "/c.gds", "/d.gds", "/e.gds"}) list.Add(path);
  EXPECT_EQ(list.Files(), (Files{"/e.gds", "/d.gds", "/c.gds", "/b.gds"}));
  list.Add("/c.gds");
  EXPECT_EQ(list.Files(), (Files{"/c.gds", "/e.gds", "/d.gds", "/b.gds"}));
  list.Add("/C.gds");  // another file on this system
  EXPECT_EQ(list.Files().front(), "/C.gds");
  EXPECT_EQ(list.Files().size(), 4u);
}

TEST(RecentFiles, KeptInTheStoreBesideTheSettings) {
  const auto dir = std::filesystem::temp_directory_path() / "korvex-recent-store";
  std::filesystem::create_directories(dir);
  {
    ProfileStore store(dir.string());
    ASSERT_TRUE(store.Open("Korvex"));
    store.WriteText("InputFile", "/x.gds");
    RecentFileList list;
    list.Add("/one.gds");
    list.Add("/two & three.gds");
    list.Save(store);
    EXPECT_EQ(store.Section(), "Korvex");
    ASSERT_TRUE(store.Close());
  }
  ProfileStore store(dir.string());
  ASSERT_TRUE(store.Open("Korvex"));
  RecentFileList list;
  list.Load(store);
  EXPECT_EQ(list.Files(), (Files{"/two & three.gds", "/one.gds"}));
  std::string input;
  EXPECT_TRUE(store.ReadText("InputFile", input, 260));
  EXPECT_EQ(input, "/x.gds");
  EXPECT_EQ(RecentFileMenuText(1, "/two & three.gds"), "&2 /two && three.gds");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace korvex
