#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <filesystem>

#include "core/job/job_file.h"
#include "ui/frame_fixture.h"
#include "ui/pentra_view.h"

namespace korvex::test {
namespace {

bool Holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A scanned chip.gds (layers 1, 2, 10; datatypes 0, 5; structures TOP and A) in the working
// directory, and an engine whose dry-run log the test decides.
class JobTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    MakeFrame();
    settings_.WorkingDirectory = workDir_;
    input_ = MakeInput("chip.gds");
    ASSERT_TRUE(SelectAndScan(input_));
  }
  void EngineWritesLog(const std::string& text) {
    SetFake("KORVEX_FAKE_WRITE_TO", workDir_ + "/chip.log");
    SetFake("KORVEX_FAKE_WRITE_TEXT", text);
  }
  std::string Preview() {
    EngineWritesLog("Pair 1/0 -> 1/0: 2 in, 2 out\nPair 2/0 -> dropped: 3 in\n");
    frame_->Action(Command::PreviewJob)->trigger();
    return ViewText();
  }
  std::string StructureMap() const { return workDir_ + "/korvex.smp"; }

  std::string input_;
};

std::vector<std::string> EntryTexts(const QMenu* menu) {
  std::vector<std::string> texts;
  for (const QAction* action : menu->actions()) {
    if (!action->isSeparator()) texts.push_back(action->text().remove('&').toStdString());
  }
  return texts;
}

TEST_F(JobTest, MenusOfferTheJobCommands) {
  const QMenu* file = frame_->menuBar()->actions().at(0)->menu();
  const std::vector<std::string> fileEntries = EntryTexts(file);
  EXPECT_NE(std::find(fileEntries.begin(), fileEntries.end(), "Open Job..."), fileEntries.end());
  EXPECT_NE(std::find(fileEntries.begin(), fileEntries.end(), "Save Job As..."), fileEntries.end());
  const std::vector<std::string> translate = EntryTexts(frame_->TranslateMenu());
  EXPECT_NE(std::find(translate.begin(), translate.end(), "Preview Job"), translate.end());
}

TEST_F(JobTest, PreviewShowsTheDryRunAndWritesNothing) {
  RecordChild();
  const std::string text = Preview();
  EXPECT_EQ(text.rfind("Job preview (dry run: nothing was written)", 0), 0u) << text;
  EXPECT_TRUE(Holds(text, "  1/0 kept: 2 in, 2 out\n  2/0 dropped: 3 in\n")) << text;
  EXPECT_TRUE(Holds(text, "Warnings:\n  none\n")) << text;
  EXPECT_EQ(ReadRecord().args.back(), "-dryrun");
  EXPECT_FALSE(std::filesystem::exists(workDir_ + "/chip.log")) << "the dry run's log is not left behind";
  EXPECT_TRUE(frame_->View()->isReadOnly());
  EXPECT_TRUE(frame_->Action(Command::SaveLogAs)->isEnabled());
  EXPECT_EQ(settings_.OutputFile, "") << "a preview asks for nothing and sets nothing";
}

TEST_F(JobTest, PreviewWarnsOfTheRenameMapUnderTrim) {
  WriteFile(StructureMap(), "A RENAMED\r\n");
  settings_.RulesInputFile = input_;
  const std::string text = Preview();
  EXPECT_TRUE(Holds(text, "  Warning: The structure rename map korvex.smp is not passed: Trim Off Empty Trees is on, "
                          "so no structure is renamed.\n"))
      << text;
  EXPECT_TRUE(Holds(text, "Structures renamed by the dry run:\n  none\n")) << text;
}

TEST_F(JobTest, PreviewWarnsOfRulesKeptFromAnotherFile) {
  settings_.LayerMap = "1:10,10:208";  // as the mapping dialog left it for chip.gds
  settings_.RulesInputFile = input_;
  EXPECT_TRUE(Holds(Preview(), "Warnings:\n  none\n"));

  const std::string other = MakeInput("kl_t9.gds");
  SetFake("KORVEX_FAKE_WRITE_TO", "");  // the scanner writes its report again
  SetFake("KORVEX_FAKE_WRITE_TEXT", kScanReport);
  ASSERT_TRUE(SelectAndScan(other));
  EXPECT_EQ(settings_.LayerMap, "1:10,10:208") << "rules stay with the job";
  EXPECT_TRUE(Holds(Preview(), "  Warning: The layer map was made for " + input_ + ", not for this input"));
}

TEST_F(JobTest, PreviewWarnsOfNumbersThisFileLacksAndTheRunLogToo) {
  settings_.LayerMap = "7:70";
  settings_.RulesInputFile = input_;
  const std::string warning = "Warning: The layer map names layers this file lacks (7:70): it changes nothing there.";
  EXPECT_TRUE(Holds(Preview(), "  " + warning + "\n")) << ViewText();

  EngineWritesLog("engine log\n");
  prompts_.fileAnswers.push_back(workDir_ + "/chip_out.gds");
  frame_->Action(Command::Translate)->trigger();
  EXPECT_TRUE(Holds(ViewText(), warning + "\n\nengine log")) << ViewText();
  EXPECT_EQ(LastMessage().rfind("1 warnings/errors are detected", 0), 0u) << LastMessage();
}

TEST_F(JobTest, SaveAndOpenJobRoundTripEveryKey) {
  settings_.OutputFile = workDir_ + "/result.gds";
  settings_.LayerList = "1,10";
  settings_.LayerExclude = 1;
  settings_.DatatypeList = "5";
  settings_.DatatypeExclude = 1;
  settings_.LayerMap = "1:101";
  settings_.DatatypeMap = "5:6";
  settings_.MergeMode = kMergeModeAdd;
  settings_.Combine = 1;
  settings_.NewTopStr = "ALL";
  settings_.MergeFileList = "\"/x/one.gds\"";
  settings_.Prune = 0;
  settings_.FixNames = 1;
  settings_.SpecifyCase = 1;
  settings_.LowerCase = 0;
  settings_.Unfold = 1;
  settings_.Explode = 1;
  settings_.PFOn = 1;
  settings_.MinExt = 0.5;
  settings_.MaxExt = 90;
  settings_.HWRatio = 4;
  settings_.WHRatio = 5;
  settings_.AreaRatio = 1.5;
  settings_.MaxVertex = 600;
  settings_.MinWidth = 0.25;
  settings_.MaxText = 7;
  scan_.TopStructure = "A";
  WriteFile(StructureMap(), "A NEW_A\r\n");
  const JobSettings saved = settings_;

  const std::string job = dataDir_ + "/chip";  // no extension typed
  prompts_.fileAnswers.push_back(job);
  frame_->Action(Command::SaveJobAs)->trigger();
  ASSERT_TRUE(std::filesystem::exists(job + ".kjob")) << LastMessage();
  EXPECT_EQ(prompts_.fileQuestions.back().initialPath, workDir_ + "/chip.kjob");

  // Another file and other settings in between; the job brings everything back.
  settings_ = JobSettings();
  settings_.ProgramDirectory = programDir_;
  settings_.WorkingDirectory = workDir_;
  std::filesystem::remove(StructureMap());
  ASSERT_TRUE(SelectAndScan(MakeInput("other.gds")));
  prompts_.fileAnswers.push_back(job + ".kjob");
  frame_->Action(Command::OpenJob)->trigger();

  EXPECT_EQ(settings_.InputFile, input_);
  EXPECT_EQ(scan_.ScannedFile, input_);
  EXPECT_EQ(settings_.WorkingDirectory, workDir_);
  EXPECT_EQ(scan_.TopStructure, "A");
  EXPECT_EQ(ReadFile(StructureMap()), "A NEW_A\r\n");
  for (auto field : {&JobSettings::OutputFile, &JobSettings::LayerList, &JobSettings::DatatypeList,
                     &JobSettings::LayerMap, &JobSettings::DatatypeMap, &JobSettings::NewTopStr,
                     &JobSettings::MergeFileList}) {
    EXPECT_EQ(settings_.*field, saved.*field);
  }
  for (auto field : {&JobSettings::LayerExclude, &JobSettings::DatatypeExclude, &JobSettings::MergeMode,
                     &JobSettings::Combine, &JobSettings::Prune, &JobSettings::FixNames, &JobSettings::SpecifyCase,
                     &JobSettings::LowerCase, &JobSettings::Unfold, &JobSettings::Explode, &JobSettings::PFOn,
                     &JobSettings::MaxVertex}) {
    EXPECT_EQ(settings_.*field, saved.*field);
  }
  for (auto field : {&JobSettings::MinExt, &JobSettings::MaxExt, &JobSettings::HWRatio, &JobSettings::WHRatio,
                     &JobSettings::AreaRatio, &JobSettings::MinWidth, &JobSettings::MaxText}) {
    EXPECT_DOUBLE_EQ(settings_.*field, saved.*field);
  }
  EXPECT_EQ(frame_->Action(Command::Translate)->text(), "&Add") << "the merge mode's captions follow the job";
  EXPECT_EQ(frame_->StatusText().toStdString(), "Job " + job + ".kjob opened");
}

TEST_F(JobTest, OpenJobWithAMissingTopKeepsTheScansAndSaysSo) {
  const std::string job = dataDir_ + "/bad.kjob";
  WriteFile(job, "[Korvex Job]\nInputFile=chip.gds\nTopStructure=NOPE\n");
  const std::string top = scan_.TopStructure;
  ASSERT_TRUE(frame_->OpenFile(QString::fromStdString(job))) << "a job file dropped or named on the command line";
  EXPECT_EQ(scan_.TopStructure, top);
  EXPECT_EQ(LastMessage(), "The top structure NOPE of the job is not in " + input_ +
                               ".\nThe scan's top structure is kept.");
  EXPECT_EQ(settings_.WorkingDirectory, dataDir_) << "no WorkingDirectory key: the job's folder";

  EXPECT_FALSE(frame_->OpenJobFile(dataDir_ + "/none.kjob"));
  EXPECT_EQ(LastMessage(), "The job file " + dataDir_ + "/none.kjob does not exist.");
}

}  // namespace
}  // namespace korvex::test
