#include <gtest/gtest.h>

#include "core/options/file_list_model.h"
#include "core/options/merge_list.h"
#include "temp_folder.h"

namespace korvex {
namespace {

class FileListTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    settings_.WorkingDirectory = Folder();
  }
  JobSettings settings_;
};

TEST_F(FileListTest, ReadsLfAndCrLfLinesAlikeAndSkipsWhatCannotBeCarried) {
  Write("korvex.lst", "/a.gds\n/b c.gds\r\n\n/bad\"name.gds\n/d.gds\r\n");
  FileListModel page(settings_);
  EXPECT_EQ(page.Entries(), (std::vector<std::string>{"/a.gds", "/b c.gds", "/d.gds"}));
  EXPECT_EQ(settings_.MergeFileList, "\"/a.gds\" \"/b c.gds\" \"/d.gds\"");
}

TEST_F(FileListTest, MissingFileGivesEmptyList) {
  settings_.MergeFileList = "\"/stale.gds\"";
  FileListModel page(settings_);
  EXPECT_TRUE(page.Entries().empty());
  EXPECT_EQ(settings_.MergeFileList, "");
}

TEST_F(FileListTest, AddingKeepsDuplicatesAndRefusesUncarriablePaths) {
  FileListModel page(settings_);
  const Outcome<int> added = page.AddFiles({"/x.gds", "/q\"uote.gds", "/x.gds"}, settings_);
  EXPECT_FALSE(added.accepted);
  EXPECT_NE(added.message.find("/q\"uote.gds"), std::string::npos);
  EXPECT_EQ(page.Entries(), (std::vector<std::string>{"/x.gds", "/x.gds"}));
  EXPECT_EQ(settings_.MergeFileList, "\"/x.gds\" \"/x.gds\"");
}

TEST_F(FileListTest, ManyPathsWithBlanksRoundTripThroughTheFile) {
  std::vector<std::string> paths;
  for (int i = 0; i < 100; ++i) {  // beyond the 64 of older versions
    std::string path = "/lib dir/cell ";
    path += std::to_string(i);
    path += ".gds";
    paths.push_back(path);
  }
  settings_.MergeFileList = JoinMergeFileList(paths);
  ASSERT_EQ(WriteMergeFileList(settings_), "");
  EXPECT_EQ(ReadMergeFileList(Folder()), settings_.MergeFileList);
  EXPECT_EQ(SplitMergeFileList(settings_.MergeFileList), paths);
}

}  // namespace
}  // namespace korvex
