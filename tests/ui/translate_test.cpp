#include <gtest/gtest.h>

#include <QAction>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "ui/control_panel.h"
#include "ui/frame_fixture.h"
#include "ui/pentra_view.h"

namespace korvex::test {
namespace {

// A scanned input in the working directory, and an engine whose log the test decides.
class TranslateTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    MakeFrame();
    settings_.WorkingDirectory = workDir_;
    input_ = MakeInput("chip.gds");
    ASSERT_TRUE(SelectAndScan(input_));
    logPath_ = workDir_ + "/chip.log";
    output_ = workDir_ + "/chip_out.gds";
  }
  void EngineWritesLog(const std::string& text) {
    SetFake("KORVEX_FAKE_WRITE_TO", logPath_);
    SetFake("KORVEX_FAKE_WRITE_TEXT", text);
  }
  void EngineExits(int code) { SetFake("KORVEX_FAKE_EXIT", std::to_string(code)); }
  void Translate() {
    prompts_.fileAnswers.push_back(output_);
    frame_->OnTranslate();
  }
  bool ViewOutputEnabled() const {
    return frame_->ControlPanel()->Button(PanelButton::kViewGdsOutput)->isEnabled();
  }

  std::string input_;
  std::string logPath_;
  std::string output_;
};

TEST_F(TranslateTest, FinishedRunShowsTheRunLog) {
  EngineWritesLog("engine says hello\r\n");
  Translate();
  EXPECT_EQ(prompts_.fileQuestions.back().initialPath, output_);
  EXPECT_EQ(frame_->StatusText(), "Translation finished");
  EXPECT_TRUE(ViewOutputEnabled());
  EXPECT_EQ(settings_.CurrentLog, logPath_);
  EXPECT_EQ(ViewText().rfind("Korvex Version", 0), 0u) << ViewText();
  EXPECT_NE(ViewText().find("GDS Output File:\t" + output_), std::string::npos);
  EXPECT_NE(ViewText().find("engine says hello"), std::string::npos);
  EXPECT_FALSE(frame_->View()->isReadOnly());
  EXPECT_TRUE(frame_->windowTitle().contains("chip.gds"));
  EXPECT_TRUE(prompts_.messages.empty());
  EXPECT_EQ(frame_->ControlPanel()->Button(PanelButton::kTranslate)->text(), "Translate");
}

TEST_F(TranslateTest, WarningsAreCountedAndTheLogShown) {
  EngineWritesLog("3 warnings\r\n");
  EngineExits(3);
  Translate();
  EXPECT_EQ(frame_->StatusText(), "Translation finished");
  EXPECT_EQ(LastMessage(), "3 warnings/errors are detected in the translation.\nRefer to log file for more information.");
  EXPECT_NE(ViewText().find("3 warnings"), std::string::npos);
  EXPECT_TRUE(ViewOutputEnabled());
}

TEST_F(TranslateTest, FailureWithoutLogKeepsTheReport) {
  EngineExits(255);  // -1
  Translate();
  EXPECT_EQ(frame_->StatusText(), "Translation failed");
  EXPECT_EQ(LastMessage(), "Error occurred in translating GDS file.");
  EXPECT_EQ(ViewText(), kScanReport);
  EXPECT_FALSE(ViewOutputEnabled());
  EXPECT_EQ(settings_.CurrentLog, "");
}

TEST_F(TranslateTest, FailureWithLogShowsIt) {
  EngineWritesLog("cannot read input\r\n");
  EngineExits(255);
  Translate();
  EXPECT_EQ(frame_->StatusText(), "Translation failed");
  EXPECT_EQ(LastMessage(),
            "Error occurred in translating GDS file.\nPlease refer to log file for more information.");
  EXPECT_NE(ViewText().find("cannot read input"), std::string::npos);
  EXPECT_FALSE(ViewOutputEnabled());
}

TEST_F(TranslateTest, StopCancelsTheRunAndOtherCommandsWaitForIt) {
  EngineWritesLog("partial\r\n");
  SetFake("KORVEX_FAKE_SLEEP_MS", "20000");
  const std::string ready = root_ + "/ready";
  SetFake("KORVEX_FAKE_READY", ready);
  QString captionWhileRunning;
  QString statusAfterRefusal;
  bool closedWhileRunning = true;
  std::size_t questionsWhileRunning = 0;
  auto* poll = new QTimer(frame_.get());
  QObject::connect(poll, &QTimer::timeout, frame_.get(), [&] {
    if (!frame_->Translating() || !std::filesystem::exists(ready)) return;
    poll->stop();
    captionWhileRunning = frame_->ControlPanel()->Button(PanelButton::kTranslate)->text();
    questionsWhileRunning = prompts_.fileQuestions.size();
    frame_->Action(Command::SelectGdsFile)->trigger();
    frame_->Action(Command::Translate)->trigger();
    frame_->Action(Command::Configuration)->trigger();
    questionsWhileRunning = prompts_.fileQuestions.size() - questionsWhileRunning;
    statusAfterRefusal = frame_->StatusText();
    closedWhileRunning = frame_->close();  // the run's wait sits below: the window must stay
    frame_->ControlPanel()->Button(PanelButton::kTranslate)->click();
  });
  poll->start(10);
  Translate();
  EXPECT_EQ(captionWhileRunning, "Stop");
  EXPECT_EQ(questionsWhileRunning, 0u);
  EXPECT_EQ(statusAfterRefusal.toStdString(), kRefusedWhileTranslating);
  EXPECT_FALSE(closedWhileRunning);
  EXPECT_TRUE(frame_->isVisible());
  EXPECT_EQ(frame_->StatusText(), "Translation cancelled");
  EXPECT_EQ(frame_->ControlPanel()->Button(PanelButton::kTranslate)->text(), "Translate");
  EXPECT_EQ(ViewText(), "partial\n");  // the stopped run's log, not the one before
  EXPECT_FALSE(frame_->Translating());
}

TEST_F(TranslateTest, CancelledOutputQuestionRunsNothing) {
  frame_->OnTranslate();  // no answer queued: cancelled
  EXPECT_EQ(settings_.OutputFile, output_);
  EXPECT_EQ(ViewText(), kScanReport);
  EXPECT_FALSE(ViewOutputEnabled());
}

}  // namespace
}  // namespace korvex::test
