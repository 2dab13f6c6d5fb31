// How runs fail and stop: refused outputs, malformed inputs, the user's stop; the earlier
// output is never touched and no temporary file is left behind.
#include <gtest/gtest.h>

#include <signal.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "korvexe/engine_log.h"
#include "korvexe/run_control.h"
#include "tools/korvexe/engine_fixture.h"
#include "tools/quarn/run_program.h"

namespace korvex::enginetest {
namespace {

const std::string kTail = " -x -X -min:0.000000 -tmag:1000000.000000";

class Safety : public ::testing::Test {
 protected:
  void SetUp() override {
    input_ = GenerateFile(dir_, "in.gds", 11);
    WriteText(output_, "earlier output");
  }
  EngineResult Run(const std::string& input, const std::string& switches = kTail) {
    return RunEngineText("\"" + input + "\" \"" + output_ + "\" \"\"" + switches, dir_);
  }
  void ExpectUntouched() {
    EXPECT_EQ(ReadText(output_), "earlier output");
    EXPECT_TRUE(FilesWith(dir_, ".tmp").empty());
  }

  TempDir dir_;
  std::string input_;
  std::string output_ = dir_.File("out.gds");
};

TEST_F(Safety, OutputThatIsTheInputIsRefusedBeforeWriting) {
  const std::string before = ReadText(input_);
  const EngineResult r = RunEngineText("\"" + input_ + "\" \"" + dir_.path() + "/./in.gds\" \"\"" + kTail, dir_);
  EXPECT_EQ(r.exit_code, 255);
  EXPECT_NE(r.log.find("Error: the output"), std::string::npos) << r.log;
  EXPECT_EQ(ReadText(input_), before);
}

TEST_F(Safety, OutputThatIsAMergedFileIsRefused) {
  const std::string other = GenerateFile(dir_, "other.gds", 12);
  const std::string before = ReadText(other);
  WriteText(dir_.File("korvex.lst"), other + "\r\n");
  const EngineResult r =
      RunEngineText("\"" + input_ + "\" \"" + other + "\" \"TOP\" -merge -min:0.000000 -tmag:1000000.000000", dir_);
  EXPECT_EQ(r.exit_code, 255);
  EXPECT_NE(r.log.find("is the same file as the merged file"), std::string::npos) << r.log;
  EXPECT_EQ(ReadText(other), before);
}

TEST_F(Safety, UnknownSwitchIsAnErrorNamingIt) {
  const EngineResult r = Run(input_, kTail + " -flatten");
  EXPECT_EQ(r.exit_code, 255);
  EXPECT_NE(r.log.find("Error: unknown switch -flatten"), std::string::npos) << r.log;
  ExpectUntouched();
}

TEST_F(Safety, MalformedInputsFailWithAnErrorLine) {
  const std::string good = ReadText(input_);
  struct Case {
    const char* name;
    std::string bytes;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"truncated", good.substr(0, good.size() / 2 + 3), "Error: "},
      {"not GDSII", "this is a text file, not a layout\n", "not a GDSII file"},
      {"damaged gzip", std::string("\x1f\x8b\x08\x00", 4) + good.substr(0, 100), "of the gzip stream"},
      {"empty", "", "empty file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteText(dir_.File("bad.gds"), c.bytes);
    const EngineResult r = Run(dir_.File("bad.gds"));
    EXPECT_EQ(r.exit_code, 255);
    EXPECT_NE(r.log.find(c.message), std::string::npos) << r.log;
    EXPECT_NE(r.log.find("Error: "), std::string::npos) << r.log;
    ExpectUntouched();
  }
  // A record length below 4 halfway through: the read cannot go on, the run fails.
  const std::size_t bgnstr = good.find(std::string("\x00\x1c\x05\x02", 4), good.size() / 2);
  ASSERT_NE(bgnstr, std::string::npos);
  std::string bad_length = good;
  bad_length[bgnstr + 1] = 2;
  WriteText(dir_.File("bad.gds"), bad_length);
  const EngineResult r = Run(dir_.File("bad.gds"));
  EXPECT_EQ(r.exit_code, 255);
  EXPECT_NE(r.log.find("Error: " + dir_.File("bad.gds") + ": offset " + std::to_string(bgnstr)), std::string::npos)
      << r.log;
  ExpectUntouched();
}

TEST_F(Safety, LogBesideTheInputNeverOverwritesIt) {
  const std::string input_named_log = dir_.File("layout.log");
  WriteText(input_named_log, ReadText(input_));
  const EngineResult r = Run(input_named_log);
  EXPECT_EQ(r.exit_code, 255);
  EXPECT_EQ(ReadText(input_named_log), ReadText(input_));
}

TEST_F(Safety, OutputThatIsTheRunsOwnLogIsRefused) {
  const std::string log = dir_.File("in.log");
  const EngineResult r = RunEngineText("\"" + input_ + "\" \"" + log + "\" \"\"" + kTail, dir_);
  EXPECT_EQ(r.exit_code, 255);
  EXPECT_NE(r.log.find("would overwrite the run's log"), std::string::npos) << r.log;
  EXPECT_NE(ReadText(log).find("Run time:"), std::string::npos);
  ExpectUntouched();
}

// A second run of one input in one folder would garble the log of the first.
TEST_F(Safety, SecondRunWritingTheSameLogIsRefused) {
  const std::string log = dir_.File("in.log");
  WriteText(log, "the first run's log\n");
  const int held = ::open(log.c_str(), O_RDWR);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  const EngineResult r = Run(input_);
  EXPECT_EQ(r.exit_code, 255);
  EXPECT_EQ(ReadText(log), "the first run's log\n");
  ExpectUntouched();
  ::close(held);
  EXPECT_EQ(Run(input_).exit_code, 0);
}

TEST(EngineLogWrites, AFullDeviceIsNoticed) {
  engine::EngineLog log;
  std::string error;
  bool busy = true;
  ASSERT_TRUE(log.Open("/dev/full", error, busy)) << error;
  EXPECT_FALSE(busy);
  log.Line("a line that cannot be written");
  log.Finish();
  log.Close();
  EXPECT_EQ(log.write_error(), std::strerror(ENOSPC));
}

// A link planted at a temporary name that another user could guess must not be followed.
TEST_F(Safety, TemporaryOutputNeverFollowsAPlantedLink) {
  const std::string victim = dir_.File("victim.txt");
  WriteText(victim, "not to be touched");
  const std::string guess = output_ + ".korvexe-" + std::to_string(::getpid()) + ".tmp";
  ASSERT_EQ(::symlink(victim.c_str(), guess.c_str()), 0);
  const EngineResult r = Run(input_);
  EXPECT_EQ(r.exit_code, 0) << r.log;
  EXPECT_EQ(ReadText(victim), "not to be touched");
  EXPECT_NE(ReadText(output_), "earlier output");
  ::unlink(guess.c_str());
}

TEST_F(Safety, StopRequestedEndsAsCancelledWithoutOutput) {
  engine::RequestStop(SIGINT);
  const EngineResult r = Run(input_, kTail + " -explode");
  engine::RequestStop(0);
  EXPECT_EQ(r.stop_signal, SIGINT);
  EXPECT_NE(r.log.find("Cancelled by user"), std::string::npos) << r.log;
  ExpectUntouched();
}

// Starts the real engine in `dir` with `args`; the child's pid.
pid_t StartEngine(const std::string& dir, const std::vector<std::string>& args) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(127);
    const std::string program = std::string(KORVEX_BIN_DIR) + "/korvexe.exe";
    std::vector<char*> argv = {const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  return pid;
}

// Waits up to `seconds` for the child; kills it when it is still running then (-1).
int WaitOrKill(pid_t pid, int seconds) {
  int status = 0;
  for (int i = 0; i < seconds * 100; ++i) {
    if (waitpid(pid, &status, WNOHANG) == pid) return status;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return -1;
}

TEST_F(Safety, TerminatingSignalsStopTheRealProgram) {
  // Flattening a 20 MB layout takes long enough to be stopped in the middle.
  const std::string big = GenerateFile(dir_, "big.gds", 13, 20u << 20);
  for (const int signal_number : {SIGTERM, SIGHUP, SIGINT}) {
    std::remove(dir_.File("big.log").c_str());
    const pid_t pid = StartEngine(dir_.path(), {big, output_, "", "-x", "-X", "-explode"});
    // Wait for the temporary output to appear, then stop the run.
    for (int i = 0; i < 400 && FilesWith(dir_, ".tmp").empty(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    kill(pid, signal_number);
    const int status = WaitOrKill(pid, 60);
    ASSERT_NE(status, -1) << strsignal(signal_number) << ": the run did not stop";
    if (WIFEXITED(status)) GTEST_SKIP() << "the run finished before the signal arrived";
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), signal_number);
    EXPECT_NE(ReadText(dir_.File("big.log")).find("Cancelled by user"), std::string::npos);
    ExpectUntouched();
  }
}

// The input cut short by another program in the middle of a run: the run ends with the reason,
// the earlier output stays and no temporary file is left.
TEST_F(Safety, InputCutShortDuringTheRunEndsItWithAReason) {
  const std::string big = GenerateFile(dir_, "big.gds", 13, 20u << 20);
  const pid_t pid = StartEngine(dir_.path(), {big, output_, "", "-x", "-X", "-explode"});
  for (int i = 0; i < 400 && FilesWith(dir_, ".tmp").empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_EQ(::truncate(big.c_str(), 4096), 0);
  const int status = WaitOrKill(pid, 60);
  ASSERT_NE(status, -1) << "the run did not end";
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  if (WEXITSTATUS(status) != 255) GTEST_SKIP() << "the run finished before the input was cut";
  EXPECT_NE(ReadText(dir_.File("big.log")).find("the input changed while it was read"), std::string::npos)
      << ReadText(dir_.File("big.log"));
  ExpectUntouched();
}

// A few hundred bytes that ask for 10^24 flat elements: refused before anything is written,
// with the estimate in the message; a layout that fits still flattens.
TEST_F(Safety, ExplodeBombIsRefusedWithItsEstimate) {
  std::vector<Structure> cells = {Cell("L0", {Rect(1, 0, 0, 0, 10, 10)})};
  const char* const names[] = {"L0", "L1", "L2", "L3", "L4"};
  for (int level = 1; level <= 4; ++level)
    cells.push_back(Cell(names[level], {ArrayRef(names[level - 1], 1000, 1000, {0, 0}, {1000, 0}, {0, 1000})}));
  const std::string bomb = dir_.File("bomb.gds");
  WriteLibrary(bomb, LibraryOf(cells));
  const EngineResult r = RunEngineText("\"" + bomb + "\" \"" + output_ + "\" L4" + kTail + " -explode", dir_);
  EXPECT_EQ(r.exit_code, 255);
  EXPECT_NE(r.log.find("flattening would write at most 18446744073709551615 elements"), std::string::npos) << r.log;
  ExpectUntouched();

  const EngineResult fits = RunEngineText("\"" + bomb + "\" \"" + output_ + "\" L1" + kTail + " -explode", dir_);
  EXPECT_EQ(fits.exit_code, 0) << fits.log;
  EXPECT_NE(fits.log.find("the flat result holds at most 1000000 elements"), std::string::npos) << fits.log;
  EXPECT_EQ(CountShapes(ReadLibrary(output_)).size(), 1u);
}

// Temporary outputs of runs that were killed are cleared by the next run in that folder; a
// living run's file and files of other forms are left alone.
TEST_F(Safety, TemporariesOfDeadRunsAreRemoved) {
  const pid_t dead = fork();
  if (dead == 0) _exit(0);
  waitpid(dead, nullptr, 0);
  const std::string old_form = output_ + ".korvexe-" + std::to_string(dead) + ".tmp";
  const std::string new_form = dir_.File("other.gds.korvexe-" + std::to_string(dead) + "-0123456789abcdef.tmp");
  const std::string living = output_ + ".korvexe-" + std::to_string(::getppid()) + "-0123456789abcdef.tmp";
  const std::string unrelated = dir_.File("notes.korvexe-" + std::to_string(dead) + "-x.tmp");
  for (const std::string& f : {old_form, new_form, living, unrelated}) WriteText(f, "left over");
  EXPECT_EQ(Run(input_).exit_code, 0);
  EXPECT_FALSE(Exists(old_form));
  EXPECT_FALSE(Exists(new_form));
  EXPECT_TRUE(Exists(living));
  EXPECT_TRUE(Exists(unrelated));
  for (const std::string& f : {living, unrelated}) std::remove(f.c_str());
}

// Scripts take the reason of a failed run from standard error: one line, as the log says it.
TEST_F(Safety, FatalErrorIsOneLineOnStandardError) {
  const std::string bad = dir_.File("bad.gds");
  WriteText(bad, "not a layout, only text");
  const korvex::testing::ProgramRun run =
      korvex::testing::RunProgram({std::string(KORVEX_BIN_DIR) + "/korvexe.exe", bad, output_, ""}, dir_.path(), 60);
  EXPECT_EQ(run.exit_code, 255);
  ASSERT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  const std::string head = "korvexe.exe: error: ";
  ASSERT_EQ(run.err.compare(0, head.size(), head), 0) << run.err;
  const std::string reason = run.err.substr(head.size(), run.err.size() - head.size() - 1);
  EXPECT_NE(reason.find("not a GDSII file"), std::string::npos) << reason;
  EXPECT_NE(ReadText(dir_.File("bad.log")).find("\nError: " + reason + "\n"), std::string::npos);
  ExpectUntouched();
}

// A FIFO would block the open and a device would never end: both are refused at once.
TEST_F(Safety, InputsThatAreNotRegularFilesAreRefused) {
  const std::string fifo = dir_.File("pipe.gds");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& input : {fifo, std::string("/dev/zero")}) {
    const int status = WaitOrKill(StartEngine(dir_.path(), {input, output_, "", "-x", "-X"}), 20);
    ASSERT_NE(status, -1) << input << ": still running";
    ASSERT_TRUE(WIFEXITED(status)) << input;
    EXPECT_EQ(WEXITSTATUS(status), 255) << input;
    ExpectUntouched();
  }
}

}  // namespace
}  // namespace korvex::enginetest
