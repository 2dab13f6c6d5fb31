// korvex --run JOB [--dry-run] under a shell without a display.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <regex>
#include <thread>

#include "core/run/companion_fixture.h"
#include "tools/korvexe/engine_fixture.h"
#include "tools/quarn/run_program.h"

namespace korvex {
namespace {

namespace fs = std::filesystem;
using enginetest::TempDir;

const std::string kBin = KORVEX_BIN_DIR;

// Element counts per layer/datatype pair over every structure of a file.
using PairCounts = std::map<std::pair<int, int>, std::uint64_t>;

PairCounts OurCounts(const std::string& path) {
  const enginetest::Library library = enginetest::ReadLibrary(path);
  EXPECT_EQ(library.error, "") << path;
  PairCounts counts;
  for (const auto& [key, n] : enginetest::CountShapes(library)) {
    counts[{std::get<1>(key), std::get<2>(key)}] += n;
  }
  return counts;
}

std::optional<PairCounts> KLayoutCounts(const std::string& path, const TempDir& dir) {
  const std::optional<std::string> out = enginetest::RunKLayout(
      "import pya\nly = pya.Layout()\nly.read(fn)\n"
      "for li in ly.layer_indexes():\n"
      "  info = ly.get_info(li)\n"
      "  n = sum(c.shapes(li).size() for c in ly.each_cell())\n"
      "  if n: print('%d %d %d' % (info.layer, info.datatype, n))\n",
      {{"fn", path}}, dir);
  if (!out) return std::nullopt;
  PairCounts counts;
  std::istringstream lines(*out);
  for (int layer, datatype; lines >> layer >> datatype;) lines >> counts[{layer, datatype}];
  return counts;
}

// The "out" counts of the pairs a preview lists ("  1/0 renumbered to 101/0: 7 in, 7 out").
PairCounts PreviewCounts(const std::string& preview) {
  PairCounts counts;
  const std::regex line(R"(  (\d+)/(\d+) (?:kept|renumbered to (\d+)/(\d+)): \d+ in, (\d+) out)");
  for (std::sregex_iterator it(preview.begin(), preview.end(), line), end; it != end; ++it) {
    const std::smatch& m = *it;
    const int to = m[3].matched ? 3 : 1;
    counts[{std::stoi(m[to]), std::stoi(m[to + 1])}] += std::stoull(m[5]);
  }
  return counts;
}

testing::ProgramRun RunWithoutDisplay(const std::vector<std::string>& arguments, const std::string& korvex) {
  std::vector<std::string> argv = {"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM=xcb", korvex};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return testing::RunProgram(argv, "", 120);
}

class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"korvex", "quarn.exe", "korvexe.exe"}) {
      if (!fs::exists(kBin + "/" + name)) GTEST_SKIP() << kBin << "/" << name << " is not built";
    }
    layout_ = std::string(KORVEX_SHARED_TESTDATA) + "/kl_t9.gds";
    if (!fs::exists(layout_)) GTEST_SKIP() << "no third-party layout at " << layout_;
  }
  std::string Job(const std::string& output, const std::string& extra = "") const {
    const std::string path = dir_.File("t9.kjob");
    enginetest::WriteText(path, "; written by hand\n[Korvex Job]\nInputFile=" + layout_ + "\nOutputFile=" + output +
                                    "\nLayerList=2,3\nLayerExclude=1\nLayerMap=1:101,8:108\n" + extra);
    return path;
  }
  testing::ProgramRun Run(const std::vector<std::string>& arguments) const {
    return RunWithoutDisplay(arguments, kBin + "/korvex");
  }

  TempDir dir_;
  std::string layout_;
};

TEST_F(HeadlessTest, RunsAHandWrittenJobWithLayersExcludedAndRenumbered) {
  const testing::ProgramRun run = Run({"--run", Job("out.gds")});
  ASSERT_TRUE(run.started);
  EXPECT_EQ(run.exit_code, 0) << run.err << run.out;
  EXPECT_EQ(run.out.rfind("Korvex Version", 0), 0u) << run.out;
  EXPECT_NE(run.out.find("GDS Output File:\t" + dir_.File("out.gds")), std::string::npos);

  const PairCounts input = OurCounts(layout_);
  const PairCounts output = OurCounts(dir_.File("out.gds"));
  ASSERT_FALSE(output.empty());
  for (const auto& [pair, n] : output) {
    EXPECT_TRUE(pair.first != 1 && pair.first != 2 && pair.first != 3 && pair.first != 8)
        << pair.first << "/" << pair.second << " should be gone";
  }
  std::uint64_t renumbered = 0;
  for (const auto& [pair, n] : output) renumbered += pair.first == 101 || pair.first == 108 ? n : 0;
  EXPECT_GT(renumbered, 0u) << "layers 1 and 8 come out as 101 and 108";
  EXPECT_TRUE(input.count({1, 0}) + input.count({8, 0}) > 0);
  const std::optional<PairCounts> klayout = KLayoutCounts(dir_.File("out.gds"), dir_);
  if (!klayout) GTEST_SKIP() << "klayout is not installed: the counts were checked by our reader only";
  EXPECT_EQ(*klayout, output);
}

TEST_F(HeadlessTest, DryRunPrintsTheSameCountsAndWritesNothing) {
  ASSERT_EQ(Run({"--run", Job("out.gds")}).exit_code, 0);
  const PairCounts written = OurCounts(dir_.File("out.gds"));
  const auto before = std::distance(fs::directory_iterator(dir_.path()), {});

  const testing::ProgramRun dry = Run({"--run", Job("dry.gds"), "--dry-run"});
  EXPECT_EQ(dry.exit_code, 0) << dry.err << dry.out;
  EXPECT_EQ(dry.out.rfind("Job preview (dry run: nothing was written)", 0), 0u) << dry.out;
  EXPECT_EQ(PreviewCounts(dry.out), written) << dry.out;
  EXPECT_FALSE(fs::exists(dir_.File("dry.gds")));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), {}), before) << "no file left or added";
}

TEST_F(HeadlessTest, RefusalsExit2NamingTheFile) {
  const std::string job = dir_.File("missing.kjob");
  enginetest::WriteText(job, "[Korvex Job]\nInputFile=" + dir_.File("nowhere.gds") + "\n");
  const testing::ProgramRun missing = Run({"--run", job});
  EXPECT_EQ(missing.exit_code, 2);
  EXPECT_NE(missing.err.find(job), std::string::npos) << missing.err;
  EXPECT_NE(missing.err.find("the input file " + dir_.File("nowhere.gds") + " does not exist"), std::string::npos)
      << missing.err;
  EXPECT_EQ(missing.out, "");

  const testing::ProgramRun noJob = Run({"--run", dir_.File("none.kjob")});
  EXPECT_EQ(noJob.exit_code, 2);
  EXPECT_NE(noJob.err.find(dir_.File("none.kjob")), std::string::npos) << noJob.err;
  EXPECT_EQ(Run({"--run"}).exit_code, 2);

  const testing::ProgramRun badTop = Run({"--run", Job("out.gds", "TopStructure=NOPE\n")});
  EXPECT_EQ(badTop.exit_code, 2);
  EXPECT_NE(badTop.err.find("The top structure NOPE of the job is not in " + layout_), std::string::npos) << badTop.err;
  EXPECT_FALSE(fs::exists(dir_.File("out.gds")));
}

TEST_F(HeadlessTest, WarningsOfTheJobGiveExit1AndGoIntoTheRunLog) {
  const testing::ProgramRun run = Run({"--run", Job("out.gds", "DatatypeMap=5:1\n")});
  EXPECT_EQ(run.exit_code, 1) << run.err;
  EXPECT_NE(run.out.find("Warning: The datatype map names datatypes this file lacks (5:1)"), std::string::npos) << run.out;
  EXPECT_TRUE(fs::exists(dir_.File("out.gds")));
}

// The real engine cannot be held at a point of its run; a stand-in that sleeps can.
class HeadlessStopTest : public test::CompanionTest {};

TEST_F(HeadlessStopTest, SigtermStopsTheEngineAndExits130) {
  if (!fs::exists(kBin + "/korvex")) GTEST_SKIP() << "korvex is not built";
  const std::string korvex = programDir_ + "/korvex";
  fs::copy_file(kBin + "/korvex", korvex);  // the companions are looked for beside the program
  fs::permissions(korvex, fs::perms::owner_all);
  // The scanner is the stand-in without the delay; the engine sleeps and says when it runs.
  InstallFake(programDir_, "korvexe.exe");
  WriteFile(programDir_ + "/quarn.exe", std::string("#!/bin/sh\nexec env -u KORVEX_FAKE_SLEEP_MS -u KORVEX_FAKE_READY ") +
                                            KORVEX_FAKE_COMPANION + " \"$@\"\n");
  fs::permissions(programDir_ + "/quarn.exe", fs::perms::owner_all);
  SetFake("KORVEX_FAKE_WRITE_TEXT", test::kScanReport);
  const std::string input = workDir_ + "/chip.gds";
  WriteFile(input, "not read by the fake");
  const std::string job = workDir_ + "/chip.kjob";
  WriteFile(job, "[Korvex Job]\nInputFile=chip.gds\nOutputFile=chip_out.gds\n");
  const std::string ready = root_ + "/ready";
  SetFake("KORVEX_FAKE_READY", ready);
  SetFake("KORVEX_FAKE_SLEEP_MS", "30000");

  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::unsetenv("DISPLAY");
    ::execl(korvex.c_str(), korvex.c_str(), "--run", job.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ASSERT_GT(pid, 0);
  for (int i = 0; i < 2000 && !fs::exists(ready); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(fs::exists(ready)) << "the engine never started";
  ::kill(pid, SIGTERM);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20)) << "the engine was not waited out";
  EXPECT_FALSE(fs::exists(workDir_ + "/chip_out.gds"));
}

}  // namespace
}  // namespace korvex
