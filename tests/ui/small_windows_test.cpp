#include <gtest/gtest.h>

#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "ui/about_dialog.h"
#include "ui/about_reveal.h"
#include "ui/directory_dialog.h"
#include "ui/fake_prompts.h"
#include "ui/lock_indicators.h"

namespace korvex {
namespace {
namespace fs = std::filesystem;

TEST(AboutReveal, ShrinksOnlyWhatExceedsTheLargestClientArea) {
  const WindowRect noted{100, 50, 500, 350};
  const WindowRect big = RevealRect(noted, 400, 300);
  EXPECT_EQ(big.left, 100);
  EXPECT_EQ(big.top, 50);
  EXPECT_EQ(big.right, 435);
  EXPECT_EQ(big.bottom, 256);
  const WindowRect small = RevealRect({0, 0, 300, 200}, 300, 200);
  EXPECT_EQ(small.right, 300);
  EXPECT_EQ(small.bottom, 200);
}

TEST(AboutDialog, DoubleClicksRevealAndHideTheCredits) {
  CAboutDialog about;
  about.show();
  const QRect before = about.geometry();
  QTest::mouseDClick(&about, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_TRUE(about.CreditsShown());
  EXPECT_FALSE(about.OkButton()->isEnabled());
  EXPECT_LE(about.width(), std::max(before.width(), kRevealClientWidth));
  EXPECT_EQ(about.CreditsButton()->size(), about.size());
  QTest::mouseDClick(about.CreditsButton(), Qt::LeftButton);
  EXPECT_FALSE(about.CreditsShown());
  EXPECT_TRUE(about.OkButton()->isEnabled());
  EXPECT_EQ(about.geometry(), before);
}

TEST(DirectoryDialog, RefusesAMissingDirectoryAndNeverMovesTheProcess) {
  const fs::path root = fs::temp_directory_path() / "korvex-dir-dialog";
  fs::create_directories(root / "sub");
  const QString cwd = QDir::currentPath();
  test::FakePrompts prompts;
  CDirectoryDialog dialog("/old/dir", prompts);
  dialog.TypePath(QString::fromStdString(root.string()));
  EXPECT_EQ(dialog.Directory().toStdString(), root.string());
  EXPECT_TRUE(dialog.SubdirectoryList()->findItems("sub", Qt::MatchExactly).size() == 1);
  dialog.OpenSubdirectory("sub");
  EXPECT_EQ(dialog.Directory().toStdString(), (root / "sub").string());

  dialog.TypePath("/no/such/folder");
  EXPECT_TRUE(dialog.EntryInvalid());
  EXPECT_FALSE(dialog.Confirm());
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text, "/no/such/folder.  The directory does not exist.");
  EXPECT_EQ(dialog.Directory().toStdString(), (root / "sub").string());

  dialog.OpenPlace("/");
  EXPECT_TRUE(dialog.Confirm());
  EXPECT_EQ(dialog.Directory(), "/");
  EXPECT_EQ(QDir::currentPath(), cwd);
  fs::remove_all(root);
}

TEST(LockIndicators, ReadFromTheKernelsLeds) {
  const fs::path leds = fs::temp_directory_path() / "korvex-leds";
  fs::create_directories(leds / "input3::capslock");
  fs::create_directories(leds / "input3::numlock");
  fs::create_directories(leds / "input9::numlock");
  std::ofstream(leds / "input3::capslock" / "brightness") << "1\n";
  std::ofstream(leds / "input3::numlock" / "brightness") << "0\n";
  std::ofstream(leds / "input9::numlock" / "brightness") << "1\n";
  const LockStates states = ReadLockStates(leds.string());
  EXPECT_EQ(states.caps, true);
  EXPECT_EQ(states.num, true);
  EXPECT_FALSE(states.scroll.has_value());
  EXPECT_FALSE(ReadLockStates("/no/leds").caps.has_value());
  fs::remove_all(leds);
}

}  // namespace
}  // namespace korvex
