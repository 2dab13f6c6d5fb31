#include "core/job/viewer_launch.h"

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>

#include "companion_fixture.h"
#include "recording_host.h"

namespace korvex {
namespace {

using Args = std::vector<std::string>;

TEST(ViewerArgumentsTest, InputCarriesTitleAndTopOutputOnlyTitle) {
  EXPECT_EQ(InputViewerArguments("C:\\data\\chip.gds", "TOP"), "\"C:\\data\\chip.gds\" -title:Lumat \"-top:TOP\"");
  EXPECT_EQ(InputViewerArguments("/data/chip.gds", ""), "\"/data/chip.gds\" -title:Lumat \"-top:\"");
  EXPECT_EQ(OutputViewerArguments("/out/chip_out.gds"), "\"/out/chip_out.gds\" -title:Lumat");
  EXPECT_EQ(OutputViewerArguments(""), "\"\" -title:Lumat");
}

class ViewerLaunchTest : public test::CompanionTest {
 protected:
  void SetUp() override {
    test::CompanionTest::SetUp();
    settings_.ProgramDirectory = programDir_;
    settings_.WorkingDirectory = workDir_;
    settings_.InputFile = root_ + "/in/chip one.gds";
    RecordChild();
    ready_ = root_ + "/ready";
    SetFake("KORVEX_FAKE_READY", ready_);
  }
  // The viewer is not waited for: wait for it to have written its record.
  test::ChildRecord RecordOfStartedViewer() {
    for (int i = 0; i < 2000 && !std::filesystem::exists(ready_); ++i) ::usleep(5000);
    return ReadRecord();
  }

  JobSettings settings_;
  Launcher launcher_;
  test::RecordingHost host_;
  std::string ready_;
};

TEST_F(ViewerLaunchTest, ViewerBesideProgramStartsWithoutQuestion) {
  const std::string viewer = InstallFake(programDir_, "lumat.exe");
  const LaunchResult result = ViewGdsInput(settings_, "CELL A", launcher_, host_);
  EXPECT_EQ(result.code, kLaunchStarted);
  EXPECT_TRUE(host_.questions.empty());
  EXPECT_EQ(settings_.GDSViewerPath, viewer);
  const test::ChildRecord record = RecordOfStartedViewer();
  EXPECT_EQ(record.args, (Args{viewer, settings_.InputFile, "-title:Lumat", "-top:CELL A"}));
  EXPECT_EQ(record.cwd, workDir_);
}

TEST_F(ViewerLaunchTest, OutputViewNeverPassesTop) {
  const std::string viewer = InstallFake(programDir_, "lumat.exe");
  settings_.OutputFile = root_ + "/out/chip_out.gds";
  ViewGdsOutput(settings_, launcher_, host_);
  EXPECT_EQ(RecordOfStartedViewer().args, (Args{viewer, settings_.OutputFile, "-title:Lumat"}));
}

TEST_F(ViewerLaunchTest, ReturnsWhileTheViewerKeepsRunning) {
  ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);  // adopt the viewer to end it afterwards
  InstallFake(programDir_, "lumat.exe");
  SetFake("KORVEX_FAKE_SLEEP_MS", "30000");
  const LaunchResult result = ViewGdsInput(settings_, "TOP", launcher_, host_);
  ASSERT_EQ(result.code, kLaunchStarted);
  EXPECT_TRUE(test::ProcessRunning(result.pid));
  ::kill(result.pid, SIGKILL);
  EXPECT_EQ(::waitpid(result.pid, nullptr, 0), result.pid);
  ::prctl(PR_SET_CHILD_SUBREAPER, 0);
}

TEST_F(ViewerLaunchTest, MissingViewerAsksAndCancelKeepsDefault) {
  const LaunchResult result = ViewGdsInput(settings_, "TOP", launcher_, host_);
  const std::string defaultPath = programDir_ + "/lumat.exe";
  ASSERT_EQ(host_.questions.size(), 1u);
  const FileQuestion& question = host_.questions[0];
  EXPECT_EQ(question.title, "Select Viewer [Lumat.exe]");
  EXPECT_EQ(question.filter, "EXE Files (*.exe)|*.exe|All Files (*.*)|*.*||");
  EXPECT_EQ(question.defaultExtension, "exe");
  EXPECT_EQ(question.initialPath, defaultPath);
  EXPECT_TRUE(question.mustExist);
  EXPECT_FALSE(question.save);

  EXPECT_EQ(settings_.GDSViewerPath, defaultPath);
  EXPECT_EQ(result.code, kLaunchStartFailed);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].caption, defaultPath);
  EXPECT_EQ(host_.messages[0].text, std::strerror(ENOENT));
}

TEST_F(ViewerLaunchTest, ViewerPathThatVanishedIsAskedForAgain) {
  settings_.GDSViewerPath = root_ + "/gone/lumat.exe";
  host_.fileAnswer = InstallFake(MakeDirectory("other viewer"), "lumat.exe");
  EXPECT_EQ(ViewGdsInput(settings_, "TOP", launcher_, host_).code, kLaunchStarted);
  EXPECT_EQ(host_.questions.at(0).initialPath, root_ + "/gone/lumat.exe");
  EXPECT_EQ(settings_.GDSViewerPath, *host_.fileAnswer);
  EXPECT_EQ(RecordOfStartedViewer().args.at(0), *host_.fileAnswer);
}

TEST_F(ViewerLaunchTest, TopWithDoubleQuoteIsRefused) {
  InstallFake(programDir_, "lumat.exe");
  const LaunchResult result = ViewGdsInput(settings_, "A\"B", launcher_, host_);
  EXPECT_NE(result.code, kLaunchStarted);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_NE(host_.messages[0].text.find("A\"B"), std::string::npos);
  ::usleep(20000);
  EXPECT_FALSE(ReadRecord().present);
}

}  // namespace
}  // namespace korvex
