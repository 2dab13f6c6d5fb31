#include "core/job/translation_run.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <regex>

#include "companion_fixture.h"
#include "core/job/dry_run.h"
#include "core/job/run_log.h"
#include "core/support/exit_status.h"
#include "recording_host.h"

namespace korvex {
namespace {

using Args = std::vector<std::string>;

class TranslationRunTest : public test::CompanionTest {
 protected:
  void SetUp() override {
    test::CompanionTest::SetUp();
    engine_ = InstallFake(programDir_, "korvexe.exe");
    settings_.ProgramDirectory = programDir_;
    settings_.WorkingDirectory = workDir_;
    settings_.InputFile = MakeDirectory("in put") + "/chip.gds";
    output_ = MakeDirectory("out") + "/chip_out.gds";
    host_.fileAnswer = output_;
    logPath_ = workDir_ + "/chip.log";
    RecordChild();
  }
  void EngineWritesLog(const std::string& text) {
    SetFake("KORVEX_FAKE_WRITE_TO", "chip.log");  // relative: the engine runs in the working directory
    SetFake("KORVEX_FAKE_WRITE_TEXT", text);
  }
  void EngineExits(int code) { SetFake("KORVEX_FAKE_EXIT", std::to_string(code)); }
  TranslationOutcome Run() { return RunTranslation(settings_, "TOP", launcher_, host_); }
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const test::ShownMessage& message : host_.messages) texts.push_back(message.text);
    return texts;
  }

  JobSettings settings_;
  Launcher launcher_;
  test::RecordingHost host_;
  std::string engine_;
  std::string output_;
  std::string logPath_;
};

TEST_F(TranslationRunTest, FinishedRunTurnsEngineLogIntoRunLog) {
  EngineWritesLog("engine log\r\nWarning: none\n");
  EXPECT_EQ(Run(), TranslationOutcome::kFinished);

  const test::ChildRecord record = ReadRecord();
  EXPECT_EQ(record.args, (Args{engine_, settings_.InputFile, output_, "TOP", "-i", "-I", "-prune", "-min:0.000000",
                               "-tmag:1000000.000000"}));
  EXPECT_EQ(record.cwd, workDir_);

  const std::string runLog = ReadFile(logPath_);
  const std::string banner = kRunLogBanner;
  ASSERT_EQ(runLog.compare(0, banner.size(), banner), 0);
  const std::regex record_(
      "GDS Output File:\t" + output_ +
      "\r\nEnd Job Time:\t\\d\\d:\\d\\d:\\d\\d  \\(\\d{1,2}-\\d{1,2}-\\d{4}\\)\r\nElapsed Time:\t0 second\\(s\\)\r\n\r\n"
      "engine log\r\nWarning: none\n");
  EXPECT_TRUE(std::regex_match(runLog.substr(banner.size()), record_)) << runLog;
  EXPECT_FALSE(std::filesystem::exists(workDir_ + "/chip.lg2"));

  EXPECT_EQ(host_.LastStatus(), "Translation finished");
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(host_.panelUpdates, (std::vector<ButtonState>{{PanelButton::kViewGdsOutput, true}}));
  EXPECT_EQ(host_.shownFiles, Args{logPath_});
  EXPECT_EQ(settings_.CurrentLog, logPath_);
  EXPECT_EQ(settings_.OutputFile, output_);
  EXPECT_EQ(host_.titles, Args{settings_.InputFile});
  EXPECT_GT(host_.pumpCount, 0);
}

TEST_F(TranslationRunTest, OutputQuestionStartsAtProposal) {
  host_.fileAnswer.reset();
  EXPECT_EQ(Run(), TranslationOutcome::kNotStarted);
  ASSERT_EQ(host_.questions.size(), 1u);
  EXPECT_EQ(host_.questions[0].initialPath, workDir_ + "/chip_out.gds");
  EXPECT_EQ(host_.questions[0].filter, "GDS Files (*.gds;*.gds.gz;*.gdsii;*.str)|*.gds;*.gds.gz;*.gdsii;*.str|All Files (*.*)|*.*||");
  EXPECT_TRUE(host_.questions[0].save && host_.questions[0].confirmOverwrite);
  EXPECT_EQ(settings_.OutputFile, workDir_ + "/chip_out.gds");  // kept although cancelled
  EXPECT_FALSE(ReadRecord().present);

  host_.fileAnswer = root_ + "/out/result.str";
  EngineWritesLog("x\n");
  Run();
  EXPECT_EQ(ReadRecord().args.at(2), root_ + "/out/result.str");
  host_.fileAnswer.reset();
  settings_.InputFile = root_ + "/in put/wafer.gds";
  Run();
  EXPECT_EQ(host_.questions.back().initialPath, root_ + "/out/wafer_out.str");

  host_.fileAnswer = root_ + "/out/typed";  // no extension: ".gds" is added
  Run();
  EXPECT_EQ(ReadRecord().args.at(2), root_ + "/out/typed.gds");
}

TEST_F(TranslationRunTest, WarningsAreCountedInAMessage) {
  EngineWritesLog("Warning: a\nWarning: b\nError: c\n");
  EngineExits(3);
  EXPECT_EQ(Run(), TranslationOutcome::kFinished);
  EXPECT_EQ(MessageTexts(),
            Args{"3 warnings/errors are detected in the translation.\nRefer to log file for more information."});
  EXPECT_EQ(host_.LastStatus(), "Translation finished");
  EXPECT_EQ(host_.shownFiles, Args{logPath_});
}

TEST_F(TranslationRunTest, StopShowsTheStoppedRunsLogUntouched) {
  const std::string ready = root_ + "/ready";
  EngineWritesLog("half a log\nCancelled by user\n");
  SetFake("KORVEX_FAKE_READY", ready);
  SetFake("KORVEX_FAKE_SLEEP_MS", "30000");
  host_.onPump = [&] {
    if (std::filesystem::exists(ready)) launcher_.Stop();
  };
  EXPECT_EQ(Run(), TranslationOutcome::kCancelled);
  EXPECT_EQ(host_.LastStatus(), "Translation cancelled");
  EXPECT_EQ(ReadFile(logPath_), "half a log\nCancelled by user\n");
  EXPECT_TRUE(host_.messages.empty());
  EXPECT_EQ(host_.shownFiles, Args{logPath_});
  EXPECT_EQ(settings_.CurrentLog, logPath_);
  EXPECT_TRUE(host_.panelUpdates.empty());
}

TEST_F(TranslationRunTest, EngineFailureWithAndWithoutLog) {
  EngineExits(-1);
  EXPECT_EQ(Run(), TranslationOutcome::kFailed);
  EXPECT_EQ(MessageTexts(), Args{"Error occurred in translating GDS file."});
  EXPECT_EQ(host_.LastStatus(), "Translation failed");
  EXPECT_TRUE(host_.shownFiles.empty());

  host_ = test::RecordingHost();
  host_.fileAnswer = output_;
  EngineWritesLog("Error: broken\n");
  EXPECT_EQ(Run(), TranslationOutcome::kFailed);
  EXPECT_EQ(MessageTexts(),
            Args{"Error occurred in translating GDS file.\nPlease refer to log file for more information."});

  // The engine's own reason, from its standard error, stands on a line of its own.
  host_ = test::RecordingHost();
  host_.fileAnswer = output_;
  SetFake("KORVEX_FAKE_STDERR", "korvexe.exe: error: the output out.gds is the same file as the input\n");
  EXPECT_EQ(Run(), TranslationOutcome::kFailed);
  EXPECT_EQ(MessageTexts(), Args{"Error occurred in translating GDS file.\nkorvexe.exe: error: the output out.gds is "
                                 "the same file as the input\nPlease refer to log file for more information."});
  EXPECT_EQ(host_.LastStatus(), "Translation failed");
  EXPECT_EQ(host_.shownFiles, Args{logPath_});
  EXPECT_TRUE(host_.panelUpdates.empty());
}

// The engine's phases in the status bar while it runs; gone when it ends, failed or not.
TEST_F(TranslationRunTest, ProgressIsShownUntilTheRunEnds) {
  SetFake("KORVEX_FAKE_PROGRESS", "reading 10 10\nwriting 1234567890 0\n");
  EngineWritesLog("done\n");
  EXPECT_EQ(Run(), TranslationOutcome::kFinished);
  ASSERT_FALSE(host_.progressShown.empty());
  EXPECT_EQ(host_.progressShown.back().text, "Translating: writing 1.2 GB");
  EXPECT_EQ(host_.progressShown.back().percent, -1);
  EXPECT_FALSE(host_.progressVisible);

  host_ = test::RecordingHost();
  host_.fileAnswer = output_;
  EngineExits(-1);
  EXPECT_EQ(Run(), TranslationOutcome::kFailed);
  EXPECT_FALSE(host_.progressShown.empty());
  EXPECT_FALSE(host_.progressVisible);
}

TEST_F(TranslationRunTest, FinishedWithoutLogSaysSo) {
  EXPECT_EQ(Run(), TranslationOutcome::kFinished);
  EXPECT_EQ(MessageTexts(), Args{"Error occurred in generating log file " + logPath_ + "."});
}

TEST_F(TranslationRunTest, RunLogFileErrorIsShownAndEngineLogKept) {
  EngineWritesLog("engine says\n");
  MakeDirectory("work/chip.lg2/occupied");
  EXPECT_EQ(Run(), TranslationOutcome::kFinished);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_NE(host_.messages[0].text.find(") Error occurred in operating log file.\nExit the program and try again."),
            std::string::npos);
  EXPECT_EQ(host_.messages[0].icon, MessageIcon::kWarning);
  EXPECT_EQ(ReadFile(logPath_), "engine says\n");
  EXPECT_TRUE(host_.shownFiles.empty());
  EXPECT_EQ(host_.titles.size(), 1u);
}

TEST_F(TranslationRunTest, MissingEngineIsReportedUnderItsPath) {
  std::filesystem::remove(engine_);
  EXPECT_EQ(Run(), TranslationOutcome::kStartFailed);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].caption, engine_);
  EXPECT_EQ(host_.messages[0].text, std::strerror(ENOENT));
  EXPECT_EQ(host_.messages[0].icon, MessageIcon::kStop);
  EXPECT_EQ(host_.LastStatus(), "Translation failed");
}

TEST_F(TranslationRunTest, NameWithDoubleQuoteIsRefusedBeforeStart) {
  host_.fileAnswer = root_ + "/out/say \"hi\".gds";
  EXPECT_EQ(Run(), TranslationOutcome::kNotStarted);
  EXPECT_FALSE(ReadRecord().present);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_NE(host_.messages[0].text.find("say \"hi\".gds"), std::string::npos);
  EXPECT_EQ(host_.LastStatus(), "Translation failed");
}

TEST_F(TranslationRunTest, StructureMapInWorkingDirectoryWithBlanksIsOneArgument) {
  settings_.WorkingDirectory = MakeDirectory("work dir; $x 'q'");
  WriteFile(settings_.WorkingDirectory + "/korvex.smp", "A B\n");
  settings_.Prune = 0;
  settings_.DebugMode = 1;
  Run();
  const Args args = ReadRecord().args;
  const Args expectedTail{"-rename", settings_.WorkingDirectory + "/korvex.smp", "-min:0.000000",
                          "-tmag:1000000.000000"};
  ASSERT_GE(args.size(), expectedTail.size());
  EXPECT_EQ(Args(args.end() - 4, args.end()), expectedTail);
  ASSERT_FALSE(host_.messages.empty());
  EXPECT_EQ(host_.messages[0].text, "\"" + settings_.InputFile + "\" \"" + output_ +
                                        "\" \"TOP\" -i -I -rename \"" + settings_.WorkingDirectory +
                                        "/korvex.smp\" -min:0.000000 -tmag:1000000.000000");
}

TEST_F(TranslationRunTest, DryRunRunsTheTranslationsArgumentsWithTheSwitchAndKeepsTheLastRunLog) {
  WriteFile(logPath_, "the last real run\r\n");
  EngineWritesLog("Pair 1/0 -> 1/0: 3 in, 3 out\n");
  settings_.PFOn = 1;
  const DryRunResult dry = RunDryRun(settings_, "TOP", launcher_, host_);
  ASSERT_TRUE(dry.started);
  EXPECT_EQ(dry.launch.exitCode, 0);
  EXPECT_EQ(dry.log, "Pair 1/0 -> 1/0: 3 in, 3 out\n");
  EXPECT_EQ(dry.outputFile, workDir_ + "/chip_out.gds") << "no output chosen yet: the proposal";
  const test::ChildRecord record = ReadRecord();
  ASSERT_GE(record.args.size(), 5u);
  EXPECT_EQ(record.args[2], workDir_ + "/chip_out.gds");
  EXPECT_EQ(record.args.back(), "-dryrun");
  EXPECT_NE(std::find(record.args.begin(), record.args.end(), "-explode"), record.args.end());
  EXPECT_EQ(settings_.Explode, 0) << "a preview changes no setting";
  EXPECT_EQ(ReadFile(logPath_), "the last real run\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(workDir_), {}), 1) << "nothing left beside it";
}

TEST_F(TranslationRunTest, DryRunWithNoEarlierLogMeansNoneAfterAndAMissingEngineIsShown) {
  EngineWritesLog("dry\n");
  const DryRunResult dry = RunDryRun(settings_, "TOP", launcher_, host_);
  EXPECT_EQ(dry.log, "dry\n");
  EXPECT_FALSE(std::filesystem::exists(logPath_));

  std::filesystem::remove(engine_);
  const DryRunResult missing = RunDryRun(settings_, "TOP", launcher_, host_);
  EXPECT_FALSE(missing.started);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].caption, engine_);
}

TEST_F(TranslationRunTest, JobWarningsGoIntoTheRunLogAndAreCounted) {
  EngineWritesLog("engine log\n");
  int warnings = -1;
  EXPECT_EQ(RunTranslation(settings_, "TOP", launcher_, host_, {"the map is old", "names stay"}, &warnings),
            TranslationOutcome::kFinished);
  EXPECT_EQ(warnings, 2);
  const std::string runLog = ReadFile(logPath_);
  EXPECT_TRUE(std::regex_search(runLog, std::regex("second\\(s\\)\r\n\r\nWarning: the map is old\r\nWarning: names "
                                                   "stay\r\n\r\nengine log\n$")))
      << runLog;
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].text.rfind("2 warnings/errors are detected", 0), 0u);
}

}  // namespace
}  // namespace korvex
