#include "core/support/text_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace korvex {
namespace {

class TextFileTest : public ::testing::Test {
 protected:
  void TearDown() override { std::filesystem::remove(path_); }

  std::vector<std::string> ReadAll(const std::string& bytes) {
    std::ofstream(path_, std::ios::binary) << bytes;
    auto file = CTextFile::Open(path_);
    EXPECT_NE(file, nullptr);
    std::vector<std::string> lines;
    if (!file) return lines;
    file->Rewind();
    while (file->ReadLine()) lines.emplace_back(file->line());
    EXPECT_FALSE(file->ReadLine());  // stays at the end
    return lines;
  }

  std::string path_ = (std::filesystem::temp_directory_path() /
                       ("korvex_text_" + std::to_string(::getpid()) + ".txt")).string();
};

using Lines = std::vector<std::string>;

TEST_F(TextFileTest, LineEndsAndTheUnterminatedLastLine) {
  EXPECT_EQ(ReadAll("a\r\nb\n"), (Lines{"a", "b"}));
  EXPECT_EQ(ReadAll("a\nb"), (Lines{"a"}));
  EXPECT_EQ(ReadAll("\n"), (Lines{""}));
  EXPECT_EQ(ReadAll(""), Lines{});
  EXPECT_EQ(ReadAll("x\r\r\n"), (Lines{"x\r"}));
}

TEST_F(TextFileTest, LinesAcrossBlockBorders) {
  std::string bytes;
  for (int i = 0; i < 10000; ++i) bytes += static_cast<char>('a' + i % 26) + std::string("\n");
  const Lines lines = ReadAll(bytes);
  ASSERT_EQ(lines.size(), 10000u);
  for (int i = 0; i < 10000; ++i) ASSERT_EQ(lines[i], std::string(1, static_cast<char>('a' + i % 26)));

  // Lines of uneven length that straddle every block border.
  bytes.clear();
  Lines expected;
  for (int i = 0; i < 3000; ++i) {
    expected.push_back(std::string(static_cast<std::size_t>(i % 97), 'x') + std::to_string(i));
    bytes += expected.back() + "\n";
  }
  EXPECT_EQ(ReadAll(bytes), expected);
}

TEST_F(TextFileTest, OverlongLineIsDroppedWhole) {
  // Its tail must not come back as a line of its own (a scan report would read it as a name).
  for (std::size_t length : {CTextFile::kBlockSize, 3 * CTextFile::kBlockSize, 3 * CTextFile::kBlockSize + 17}) {
    EXPECT_EQ(ReadAll("first\n" + std::string(length, 'q') + "tail\nlast\n"), (Lines{"first", "last"})) << length;
  }
  EXPECT_EQ(ReadAll(std::string(5000, 'q') + "\nnext\n"), (Lines{"next"}));
}

TEST_F(TextFileTest, RewindStartsAgainAndMissingFilesDoNotOpen) {
  std::ofstream(path_, std::ios::binary) << "one\ntwo\n";
  auto file = CTextFile::Open(path_);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Length(), 8u);
  file->Rewind();
  ASSERT_TRUE(file->ReadLine());
  ASSERT_TRUE(file->ReadLine());
  EXPECT_EQ(file->line(), "two");
  file->Rewind();
  ASSERT_TRUE(file->ReadLine());
  EXPECT_EQ(file->line(), "one");
  EXPECT_EQ(CTextFile::Open(path_ + ".missing"), nullptr);
  EXPECT_EQ(CTextFile::Open("/tmp"), nullptr);
}

}  // namespace
}  // namespace korvex
