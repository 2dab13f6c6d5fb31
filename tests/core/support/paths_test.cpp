#include "core/support/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace korvex {
namespace {

struct SplitCase {
  const char* path;
  const char* directory;
  const char* name;
};

// Each row is checked as written (Windows style) and with '/' and no drive (native style).
std::string Native(std::string text) {
  if (text.size() >= 2 && text[1] == ':') text.erase(0, 2);
  for (char& c : text) {
    if (c == '\\') c = '/';
  }
  return text;
}

TEST(SplitPathName, RootKeepsItsSeparatorOtherDirectoriesDoNot) {
  const SplitCase cases[] = {
      {"C:\\work\\chip.gds", "C:\\work", "chip.gds"}, {"C:\\chip.gds", "C:\\", "chip.gds"},
      {"C:\\", "C:\\", ""},                          {"C:chip.gds", "C:", "chip.gds"},
      {"\\chip.gds", "\\", "chip.gds"},              {"chip.gds", "", "chip.gds"},
      {"C:\\work\\", "C:\\work", ""},
  };
  for (const SplitCase& c : cases) {
    const PathParts win = SplitPathName(c.path, kWindowsPathStyle);
    EXPECT_EQ(win.directory, c.directory) << c.path;
    EXPECT_EQ(win.name, c.name) << c.path;
    const PathParts native = SplitPathName(Native(c.path));
    EXPECT_EQ(native.directory, Native(c.directory)) << Native(c.path);
    EXPECT_EQ(native.name, c.name) << Native(c.path);
  }
  EXPECT_EQ(SplitPathName("").directory, "");
  // A forward slash is an ordinary character in the Windows style.
  EXPECT_EQ(SplitPathName("C:\\a/b.gds", kWindowsPathStyle).name, "a/b.gds");
}

TEST(JoinPath, ExactlyOneSeparatorBeforeTheName) {
  EXPECT_EQ(JoinPath("C:\\work", "a.gds", kWindowsPathStyle), "C:\\work\\a.gds");
  EXPECT_EQ(JoinPath("C:\\work\\", "a.gds", kWindowsPathStyle), "C:\\work\\a.gds");
  EXPECT_EQ(JoinPath("C:\\", "a.gds", kWindowsPathStyle), "C:\\a.gds");
  EXPECT_EQ(JoinPath("D:", "x.gds", kWindowsPathStyle), "D:.\\x.gds");
  EXPECT_EQ(JoinPath("", "a.gds", kWindowsPathStyle), "a.gds");
  // The directory of a split joins back to the same path, root or not.
  for (const char* path : {"C:\\chip.gds", "C:\\work\\chip.gds"}) {
    const PathParts parts = SplitPathName(path, kWindowsPathStyle);
    EXPECT_EQ(JoinPath(parts.directory, "x.gds", kWindowsPathStyle),
              parts.directory.back() == '\\' ? parts.directory + "x.gds" : parts.directory + "\\x.gds");
  }
  EXPECT_EQ(JoinPath("/work", "a.gds"), "/work/a.gds");
  EXPECT_EQ(JoinPath("/work/", "a.gds"), "/work/a.gds");
  EXPECT_EQ(JoinPath("/", "a.gds"), "/a.gds");
  EXPECT_EQ(JoinPath("", "a.gds"), "a.gds");
  // A name that looks like a drive is not special without drive prefixes.
  EXPECT_EQ(AppendPathSeparator("D:"), "D:/");
}

TEST(ChangeExtension, CapitalsCarryOverOnlyWhenNoLowerCaseLetterAppears) {
  struct Case {
    const char* path;
    const char* ext;
    const char* result;
  } cases[] = {
      {"C:\\work\\chip.gds", ".log", "C:\\work\\chip.log"}, {"C:\\WORK\\CHIP.GDS", ".log", "C:\\WORK\\CHIP.LOG"},
      {"c:\\work\\CHIP.GDS", ".log", "c:\\work\\CHIP.log"}, {"C:\\work.old\\chip", ".ssn", "C:\\work.old\\chip.ssn"},
      {"C:\\WORK\\123", ".lg2", "C:\\WORK\\123.LG2"},       {"123", ".job", "123.job"},
      {"CHIP", ".log", "CHIP.LOG"},                         {"Chip", ".log", "Chip.log"},
      {"C:\\TMP\\chip.gds", ".log", "C:\\TMP\\chip.log"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChangeExtension(c.path, c.ext, kWindowsPathStyle), c.result) << c.path;
    EXPECT_EQ(ChangeExtension(Native(c.path), c.ext), Native(c.result)) << c.path;
  }
}

TEST(SplitExtension, OnlyADotInTheNameStartsAnExtension) {
  ExtensionParts p = SplitExtension("C:\\work\\chip.gds", kWindowsPathStyle);
  EXPECT_EQ(p.stem, "C:\\work\\chip");
  EXPECT_EQ(p.extension, ".gds");
  p = SplitExtension("chip.tar.gds");
  EXPECT_EQ(p.stem, "chip.tar");
  EXPECT_EQ(p.extension, ".gds");
  p = SplitExtension("/work.old/chip");
  EXPECT_EQ(p.stem, "/work.old/chip");
  EXPECT_EQ(p.extension, "");
  EXPECT_TRUE(SameExtension(".LOG", ".log"));
  EXPECT_FALSE(SameExtension(".log", ".lg2"));
}

class ExistenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("korvex_paths_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_ / "work");
    std::ofstream(dir_ / "chip.gds") << "x";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

TEST_F(ExistenceTest, FilesDirectoriesAndWildcards) {
  EXPECT_FALSE(FileExists(""));
  EXPECT_TRUE(FileExists((dir_ / "chip.gds").string()));
  EXPECT_TRUE(FileExists((dir_ / "work").string()));
  EXPECT_TRUE(FileExists((dir_ / "*.gds").string()));
  EXPECT_FALSE(FileExists((dir_ / "*.oas").string()));
  EXPECT_FALSE(FileExists((dir_ / "missing.gds").string()));

  EXPECT_TRUE(DirectoryExists((dir_ / "work").string()));
  EXPECT_TRUE(DirectoryExists((dir_ / "work").string() + "/"));
  EXPECT_TRUE(DirectoryExists("/"));
  EXPECT_FALSE(DirectoryExists((dir_ / "chip.gds").string()));
  EXPECT_FALSE(DirectoryExists(""));
}

}  // namespace
}  // namespace korvex
