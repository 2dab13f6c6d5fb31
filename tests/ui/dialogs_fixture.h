#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fake_prompts.h"

namespace korvex::testing {

// A fresh folder for the side files of each test.
class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "korvex-dialogs-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    m_dir = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }

  std::string PathOf(const std::string& name) const { return (m_dir / name).string(); }
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(PathOf(name), std::ios::binary) << bytes;
    return PathOf(name);
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(PathOf(name), std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }

  // Shows a window and waits until it is active, so focus moves and mnemonics work.
  static void ShowActive(QWidget& window) {
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  std::filesystem::path m_dir;
  test::FakePrompts prompts;
};

// Answers a message only after the event loop has run for a while, as a message box does
// while the user reads it.
class ReadingPrompts : public test::FakePrompts {
 public:
  void Message(QWidget* parent, const std::string& caption, const std::string& text, MessageIcon icon) override {
    FakePrompts::Message(parent, caption, text, icon);
    if (m_depth >= 3) return;  // enough to show a storm without an endless one
    ++m_depth;
    QTest::qWait(800);
    --m_depth;
  }

 private:
  int m_depth = 0;
};

// Lines joined with LF, each ended by one.
inline std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

}  // namespace korvex::testing
