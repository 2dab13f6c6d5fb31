#include "core/support/launcher.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>

#include "companion_fixture.h"
#include "core/support/argument_text.h"
#include "core/support/exit_status.h"
#include "core/support/paths.h"

namespace korvex {
namespace {

using Args = std::vector<std::string>;

TEST(SplitArgumentTextTest, BlanksSeparateAndQuotesGroup) {
  EXPECT_EQ(SplitArgumentText("a  b\tc "), (Args{"a", "b", "c"}));
  EXPECT_EQ(SplitArgumentText("\"a b\" c"), (Args{"a b", "c"}));
  EXPECT_EQ(SplitArgumentText(""), Args{});
  EXPECT_EQ(SplitArgumentText("   "), Args{});
}

TEST(SplitArgumentTextTest, EmptyQuotedArgumentIsKept) {
  EXPECT_EQ(SplitArgumentText("\"\""), (Args{""}));
  EXPECT_EQ(SplitArgumentText("\"in.gds\" \"\" -x"), (Args{"in.gds", "", "-x"}));
  EXPECT_EQ(SplitArgumentText("\"-top:\""), (Args{"-top:"}));
}

TEST(SplitArgumentTextTest, AdjacentQuotedPartsJoin) {
  EXPECT_EQ(SplitArgumentText("x\"y z\"w"), (Args{"xy zw"}));
  EXPECT_EQ(SplitArgumentText("\"a\"\"b\""), (Args{"ab"}));
  EXPECT_EQ(SplitArgumentText("-rename \"/w d/korvex.smp\""), (Args{"-rename", "/w d/korvex.smp"}));
}

TEST(SplitArgumentTextTest, BackslashesAndUnclosedQuoteAreLiteral) {
  EXPECT_EQ(SplitArgumentText("C:\\a\\ \"b\\\""), (Args{"C:\\a\\", "b\\"}));
  EXPECT_EQ(SplitArgumentText("\"open end"), (Args{"open end"}));
}

TEST(ExitStatusTest, EightBitStatusIsSigned) {
  EXPECT_EQ(DecodeExitStatus(W_EXITCODE(0, 0)), 0);
  EXPECT_EQ(DecodeExitStatus(W_EXITCODE(127, 0)), 127);
  EXPECT_EQ(DecodeExitStatus(W_EXITCODE(128, 0)), -128);
  EXPECT_EQ(DecodeExitStatus(W_EXITCODE(255, 0)), -1);
  EXPECT_EQ(DecodeExitStatus(W_EXITCODE(0, SIGINT)), kExitCancelled);
  EXPECT_EQ(DecodeExitStatus(W_EXITCODE(0, SIGTERM)), kExitCancelled);
  EXPECT_EQ(DecodeExitStatus(W_EXITCODE(0, SIGKILL)), -1009);
}

class LauncherTest : public test::CompanionTest {
 protected:
  LaunchResult Run(const std::string& program, const std::string& arguments, bool wait = true,
                   std::function<void()> pump = {}) {
    return launcher_.Launch({program, workDir_, arguments, wait, std::move(pump), false, {}});
  }
  Launcher launcher_;
};

TEST_F(LauncherTest, OddFileNamesArriveAsOneUnchangedArgument) {
  const std::string program = InstallFake(programDir_, "korvexe.exe");
  RecordChild();
  const std::string odd = "/tmp/x y/it's $HOME; rm -rf ~ \\ back\\slash`id`*.gds";
  const LaunchResult result = Run(program, QuoteArgument(odd) + " -i1,2 " + QuoteArgument(""));
  ASSERT_EQ(result.code, kLaunchStarted) << result.errorText;
  const test::ChildRecord record = ReadRecord();
  ASSERT_TRUE(record.present);
  EXPECT_EQ(record.args, (Args{program, odd, "-i1,2", ""}));
  EXPECT_EQ(record.cwd, std::filesystem::canonical(workDir_).string());
}

TEST_F(LauncherTest, ProgramPathWithBlanksStarts) {
  const std::string program = InstallFake(MakeDirectory("Program Files/Korvex 1.41"), "quarn.exe");
  RecordChild();
  const LaunchResult result = Run(program, "a");
  ASSERT_EQ(result.code, kLaunchStarted) << result.errorText;
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(ReadRecord().args, (Args{program, "a"}));
}

TEST_F(LauncherTest, ExitCodesAndSignalsAreDecoded) {
  const std::string program = InstallFake(programDir_, "korvexe.exe");
  const std::vector<std::pair<std::string, int>> exits = {{"0", 0}, {"3", 3}, {"127", 127},
                                                          {"-1", -1}, {"200", -56}};
  for (const auto& [code, expected] : exits) {
    SetFake("KORVEX_FAKE_EXIT", code);
    const LaunchResult result = Run(program, "");
    EXPECT_EQ(result.code, kLaunchStarted);
    EXPECT_EQ(result.exitCode, expected) << "exit " << code;
  }
  ::unsetenv("KORVEX_FAKE_EXIT");
  const std::vector<std::pair<int, int>> signals = {
      {SIGINT, kExitCancelled}, {SIGTERM, kExitCancelled}, {SIGSEGV, -1000 - SIGSEGV}, {SIGKILL, -1009}};
  for (const auto& [signal, expected] : signals) {
    SetFake("KORVEX_FAKE_SIGNAL", std::to_string(signal));
    const LaunchResult result = Run(program, "");
    EXPECT_EQ(result.code, kLaunchStarted);
    EXPECT_EQ(result.exitCode, expected) << "signal " << signal;
  }
}

TEST_F(LauncherTest, ChildIsReapedOnceWaitReturns) {
  const LaunchResult result = Run(InstallFake(programDir_, "quarn.exe"), "");
  ASSERT_EQ(result.code, kLaunchStarted);
  EXPECT_FALSE(test::ProcessRunning(result.pid));
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);  // no child of ours is left, not even a zombie
  EXPECT_EQ(errno, ECHILD);
}

TEST_F(LauncherTest, StartFailuresCarryTheSystemErrorAndText) {
  const LaunchResult missing = Run(programDir_ + "/quarn.exe", "x");
  EXPECT_EQ(missing.code, kLaunchStartFailed);
  EXPECT_EQ(missing.exitCode, ENOENT);
  EXPECT_EQ(missing.errorText, std::strerror(ENOENT));

  const std::string plain = programDir_ + "/korvexe.exe";
  WriteFile(plain, "not a program\n");
  const LaunchResult notExecutable = Run(plain, "");
  EXPECT_EQ(notExecutable.code, kLaunchStartFailed);
  EXPECT_EQ(notExecutable.exitCode, EACCES);
  EXPECT_EQ(notExecutable.errorText, std::strerror(EACCES));

  RecordChild();
  const LaunchResult noDirectory =
      launcher_.Launch({InstallFake(programDir_, "lumat.exe"), root_ + "/gone", "", true, {}, false, {}});
  EXPECT_EQ(noDirectory.code, kLaunchStartFailed);
  EXPECT_EQ(noDirectory.exitCode, ENOENT);
  EXPECT_NE(noDirectory.errorText.find(root_ + "/gone"), std::string::npos) << noDirectory.errorText;
  EXPECT_FALSE(ReadRecord().present);  // the program never ran
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

TEST_F(LauncherTest, OnlyStandardDescriptorsReachTheChild) {
  const int leaky = ::open("/dev/null", O_RDONLY);  // deliberately without close-on-exec
  ASSERT_GE(leaky, 3);
  RecordChild();
  const LaunchResult result = Run(InstallFake(programDir_, "korvexe.exe"), "");
  ::close(leaky);
  ASSERT_EQ(result.code, kLaunchStarted);
  std::vector<int> fds = ReadRecord().fds;
  std::sort(fds.begin(), fds.end());
  EXPECT_TRUE(std::all_of(fds.begin(), fds.end(), [](int fd) { return fd <= 2; }))
      << "child saw descriptor " << fds.back();
}

// The progress pipe is the one descriptor passed on besides the standard ones, named in the
// child's environment; all the child wrote there is handed over before Launch returns.
TEST_F(LauncherTest, ProgressPipeReachesOnlyTheChildThatAsks) {
  const std::string program = InstallFake(programDir_, "quarn.exe");
  RecordChild();
  SetFake("KORVEX_FAKE_PROGRESS", "reading 5 10\nreading 10 10\n");
  LaunchRequest request{program, workDir_, "", true, {}, false, {}};
  std::string received;
  request.progress = [&received](std::string_view piece) { received.append(piece); };
  const LaunchResult result = launcher_.Launch(request);
  ASSERT_EQ(result.code, kLaunchStarted);
  EXPECT_EQ(result.exitCode, 0);  // 93: the fake found no descriptor to write to
  EXPECT_EQ(received, "reading 5 10\nreading 10 10\n");
  const test::ChildRecord record = ReadRecord();
  ASSERT_TRUE(record.progressFd.has_value());
  const int fd = std::stoi(*record.progressFd);
  std::vector<int> fds = record.fds;
  std::sort(fds.begin(), fds.end());
  EXPECT_EQ(fds, (std::vector<int>{0, 1, 2, fd}));

  // A number of ours, inherited from whoever started the window, names nothing in a child.
  ::unsetenv("KORVEX_FAKE_PROGRESS");
  SetFake("KORVEX_PROGRESS_FD", "1");
  std::filesystem::remove(RecordPath());
  EXPECT_EQ(Run(program, "").exitCode, 0);
  EXPECT_FALSE(ReadRecord().progressFd.has_value());
}

TEST(ChildEnvironmentTest, OnlyTheProgressVariableIsReplaced) {
  const char* environment[] = {"A=1", "KORVEX_PROGRESS_FD=7", "KORVEX_PROGRESS_FDX=2", "B=", nullptr};
  EXPECT_EQ(ChildEnvironment(environment, -1), (Args{"A=1", "KORVEX_PROGRESS_FDX=2", "B="}));
  EXPECT_EQ(ChildEnvironment(environment, 9), (Args{"A=1", "KORVEX_PROGRESS_FDX=2", "B=", "KORVEX_PROGRESS_FD=9"}));
}

TEST_F(LauncherTest, StopInterruptsTheChildAndReadsAsCancelled) {
  const std::string ready = root_ + "/ready";
  SetFake("KORVEX_FAKE_READY", ready);
  SetFake("KORVEX_FAKE_SLEEP_MS", "30000");
  int pumps = 0;
  bool stopped = false;
  const LaunchResult result = Run(InstallFake(programDir_, "korvexe.exe"), "", true, [&] {
    ++pumps;
    EXPECT_TRUE(launcher_.IsWaiting() || stopped);
    if (!stopped && std::filesystem::exists(ready)) stopped = launcher_.Stop();
  });
  EXPECT_TRUE(stopped);
  EXPECT_GT(pumps, 0);
  EXPECT_EQ(result.code, kLaunchStarted);
  EXPECT_EQ(result.exitCode, kExitCancelled);
  EXPECT_FALSE(launcher_.IsWaiting());
  EXPECT_FALSE(launcher_.Stop());
}

TEST_F(LauncherTest, UnwaitedChildRunsOnAndLeavesNoZombie) {
  // Adopt the detached program so the test can watch it and clean it up.
  ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  const std::string ready = root_ + "/ready";
  SetFake("KORVEX_FAKE_READY", ready);
  SetFake("KORVEX_FAKE_SLEEP_MS", "30000");
  RecordChild();
  const LaunchResult result = Run(InstallFake(programDir_, "lumat.exe"), "\"out.gds\" -title:Lumat", false);
  ASSERT_EQ(result.code, kLaunchStarted) << result.errorText;
  ASSERT_GT(result.pid, 0);
  EXPECT_TRUE(test::ProcessRunning(result.pid));
  EXPECT_FALSE(launcher_.IsWaiting());
  // The intermediate process is gone already; only the program itself is left to us.
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), 0);
  for (int i = 0; i < 2000 && !std::filesystem::exists(ready); ++i) ::usleep(5000);
  EXPECT_EQ(ReadRecord().args, (Args{programDir_ + "/lumat.exe", "out.gds", "-title:Lumat"}));
  ::kill(result.pid, SIGKILL);
  EXPECT_EQ(::waitpid(result.pid, nullptr, 0), result.pid);
  ::prctl(PR_SET_CHILD_SUBREAPER, 0);
}

TEST_F(LauncherTest, UnwaitedStartOfMissingProgramFails) {
  const LaunchResult result = Run(programDir_ + "/lumat.exe", "", false);
  EXPECT_EQ(result.code, kLaunchStartFailed);
  EXPECT_EQ(result.exitCode, ENOENT);
}

}  // namespace
}  // namespace korvex
