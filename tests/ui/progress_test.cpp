#include <gtest/gtest.h>

#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <functional>

#include "ui/control_panel.h"
#include "ui/frame_fixture.h"

namespace korvex::test {
namespace {

// A fake companion that tells its progress and then waits for the test, which looks at the
// status bar meanwhile.
class ProgressTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    MakeFrame();
    settings_.WorkingDirectory = workDir_;
    go_ = root_ + "/go";
  }
  void CompanionTells(const std::string& lines) {
    SetFake("KORVEX_FAKE_PROGRESS", lines);
    SetFake("KORVEX_FAKE_WAIT_FOR", go_);
  }
  // Once the bar shows: keeps what the status bar shows, then does `act`.
  void WhenProgressShows(std::function<void()> act) {
    auto* poll = new QTimer(frame_.get());
    QObject::connect(poll, &QTimer::timeout, frame_.get(), [this, poll, act] {
      if (!frame_->ProgressBar()->isVisible()) return;
      poll->stop();
      shownText_ = frame_->statusBar()->currentMessage().toStdString();
      shownMaximum_ = frame_->ProgressBar()->maximum();
      shownValue_ = frame_->ProgressBar()->value();
      act();
    });
    poll->start(10);
  }
  void LetItEnd() { WriteFile(go_, ""); }
  void ExpectProgressGone() const {
    EXPECT_FALSE(frame_->ProgressBar()->isVisible());
    EXPECT_EQ(frame_->statusBar()->currentMessage(), frame_->StatusText());
  }

  std::string go_;
  std::string shownText_;
  int shownMaximum_ = -1;
  int shownValue_ = -1;
};

TEST_F(ProgressTest, ScanShowsHowFarItIsUntilItEnds) {
  const std::string input = MakeInput("chip.gds");
  CompanionTells("reading 50 100\n");
  WhenProgressShows([this] { LetItEnd(); });
  ASSERT_TRUE(SelectAndScan(input));
  EXPECT_EQ(shownText_, "Scanning chip.gds: 50%");
  EXPECT_EQ(shownMaximum_, 100);
  EXPECT_EQ(shownValue_, 50);
  ExpectProgressGone();
  EXPECT_EQ(frame_->StatusText(), "Finished Scanning GDS File");
}

TEST_F(ProgressTest, OutputOfUnknownSizeShowsABusyBar) {
  ASSERT_TRUE(SelectAndScan(MakeInput("chip.gds")));
  CompanionTells("writing 1234567890 0\n");
  SetFake("KORVEX_FAKE_WRITE_TO", workDir_ + "/chip.log");
  SetFake("KORVEX_FAKE_WRITE_TEXT", "done\n");
  WhenProgressShows([this] { LetItEnd(); });
  prompts_.fileAnswers.push_back(workDir_ + "/chip_out.gds");
  frame_->OnTranslate();
  EXPECT_EQ(shownText_, "Translating: writing 1.2 GB");
  EXPECT_EQ(shownMaximum_, 0);  // busy
  ExpectProgressGone();
  EXPECT_EQ(frame_->StatusText(), "Translation finished");
}

// Stopped with the panel button halfway through: the earlier scan's job, report and view stay.
TEST_F(ProgressTest, ScanStoppedHalfwayLeavesEverythingAsItWas) {
  const std::string first = MakeInput("first.gds");
  ASSERT_TRUE(SelectAndScan(first));
  const std::string report = scan_.ReportFile;
  const QString title = frame_->windowTitle();
  CompanionTells("reading 4 8\n");
  SetFake("KORVEX_FAKE_WRITE_TEXT", "STRUCTURE_LIST\n1) OTHER\n\n");
  WhenProgressShows([this] { frame_->ControlPanel()->Button(PanelButton::kTranslate)->click(); });
  EXPECT_FALSE(SelectAndScan(MakeInput("huge.gds")));
  EXPECT_EQ(shownText_, "Scanning huge.gds: 50%");
  ExpectProgressGone();
  EXPECT_EQ(frame_->StatusText(), "Scan cancelled");
  EXPECT_EQ(settings_.InputFile, first);
  EXPECT_EQ(scan_.ReportFile, report);
  EXPECT_EQ(scan_.TopStructure, "TOP");
  EXPECT_EQ(ViewText(), kScanReport);
  EXPECT_EQ(frame_->windowTitle(), title);
  EXPECT_TRUE(prompts_.messages.empty());
}

}  // namespace
}  // namespace korvex::test
