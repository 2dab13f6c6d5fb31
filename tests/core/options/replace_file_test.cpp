#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "core/support/replace_file.h"
#include "temp_folder.h"

namespace korvex {
namespace {

using ReplaceFileTest = TempFolderTest;

TEST_F(ReplaceFileTest, ReplacesWholeAndLeavesNoSideFile) {
  Write("list", "old old old old\r\n");
  ASSERT_TRUE(ReplaceFile(PathOf("list"), "new\r\n"));
  EXPECT_EQ(Read("list"), "new\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 1);
}

// A file size limit makes the write stop half-way, as a full disk would.
TEST_F(ReplaceFileTest, WriteFailingHalfWayKeepsTheOldFile) {
  Write("list", "previous\r\n");
  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool replaced = ReplaceFile(PathOf("list"), std::string(5000, 'x'));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(replaced);
  EXPECT_EQ(Read("list"), "previous\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 1);
}

}  // namespace
}  // namespace korvex
