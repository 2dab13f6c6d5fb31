#include "ui/editor_hand_over.h"

#include "core/support/log_view_limit.h"
#include "core/support/platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace korvex {
namespace {

using Words = std::vector<std::string>;

TEST(EditorHandOver, XdgOpenThenVisualThenEditor) {
  EXPECT_EQ(EditorCommand("/w/a.log", true, "gvim -f", "nano"), (Words{"xdg-open", "/w/a.log"}));
  EXPECT_EQ(EditorCommand("/w/a.log", false, "gvim -f", "nano"), (Words{"gvim", "-f", "/w/a.log"}));
  EXPECT_EQ(EditorCommand("/w/a.log", false, "", "nano"), (Words{"nano", "/w/a.log"}));
  EXPECT_EQ(EditorCommand("/w/a.log", false, "", ""), Words{});
}

TEST(EditorHandOver, FilesAboveTheLimitGoToTheEditor) {
  const auto path = std::filesystem::temp_directory_path() / "korvex-hand-over.log";
  Words started;
  const StartProgram start = [&](const Words& argv) {
    started = argv;
    return true;
  };
  std::ofstream(path, std::ios::binary) << std::string(LogViewLimit(GetPlatformKind()), 'x');
  auto file = CTextFile::Open(path.string());
  ASSERT_TRUE(file);
  EXPECT_EQ(ShowInViewOrEditor(*file, start, {"ed"}), ViewChoice::kView);
  EXPECT_TRUE(file->IsOpen());
  EXPECT_TRUE(started.empty());

  std::ofstream(path, std::ios::binary | std::ios::app) << "y";
  file = CTextFile::Open(path.string());
  ASSERT_TRUE(file);
  EXPECT_EQ(ShowInViewOrEditor(*file, start, {"ed"}), ViewChoice::kEditor);
  EXPECT_FALSE(file->IsOpen());
  EXPECT_EQ(started, (Words{"ed", path.string()}));

  // No editor to hand it to: the view takes its first part.
  file = CTextFile::Open(path.string());
  ASSERT_TRUE(file);
  EXPECT_EQ(ShowInViewOrEditor(*file, [](const Words&) { return false; }, {"ed"}), ViewChoice::kPartialView);
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace korvex
