// The companions' --help and --version, run as real programs: answered on standard output
// with exit 0, nothing written into the working folder, no display needed; the help and the
// manual page name the same switches.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include <unistd.h>

#include "core/support/product_info.h"
#include "run_program.h"

namespace korvex {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Programs() {
  std::vector<std::string> out = {"quarn.exe", "korvexe.exe"};
  if (fs::exists(fs::path(KORVEX_BIN_DIR) / "lumat.exe")) out.push_back("lumat.exe");
  return out;
}

class Manners : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("manners_test_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // The program run in the empty folder, without a display.
  testing::ProgramRun Run(const std::vector<std::string>& args) {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) ::unsetenv(variable);
    std::vector<std::string> argv = {std::string(KORVEX_BIN_DIR) + "/" + GetParam()};
    argv.insert(argv.end(), args.begin(), args.end());
    testing::ProgramRun run = testing::RunProgram(argv, dir_.string(), 30);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return run;
  }
  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    return names;
  }

  fs::path dir_;
};

TEST_P(Manners, HelpAnswersOnStandardOutputAndWritesNothing) {
  const testing::ProgramRun run = Run({"--help"});
  ASSERT_TRUE(run.started);
  EXPECT_FALSE(run.timed_out);
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out.rfind("Usage: " + GetParam() + " ", 0), 0u) << run.out;
  EXPECT_NE(run.out.find("Exit status:"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("--version"), std::string::npos) << run.out;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{});
}

TEST_P(Manners, VersionAnswersOnStandardOutputAndWritesNothing) {
  const testing::ProgramRun run = Run({"--version"});
  ASSERT_TRUE(run.started);
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out.rfind(GetParam() + " (Korvex) " + kProductVersion + "\n", 0), 0u) << run.out;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{});
}

TEST_P(Manners, HelpThatCannotBeWrittenIsAFailure) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const std::string program = std::string(KORVEX_BIN_DIR) + "/" + GetParam();
  const testing::ProgramRun run = testing::RunProgram({"/bin/sh", "-c", "'" + program + "' --help >/dev/full"},
                                                      dir_.string(), 30);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.err.find("cannot write to standard output"), std::string::npos) << run.err;
}

// The switches in the first column of the help ("  -o:REPORT", "  -iLIST, -xLIST"), by name.
std::set<std::string> HelpSwitches(const std::string& help) {
  std::set<std::string> out;
  const std::regex name(R"((?:^|[ ,])(--?[A-Za-z][a-z0-9-]*))");
  std::istringstream in(help);
  for (std::string line; std::getline(in, line);) {
    if (!line.starts_with("  -")) continue;
    const std::string column = line.substr(0, line.find("  ", 2));
    for (auto it = std::sregex_iterator(column.begin(), column.end(), name); it != std::sregex_iterator(); ++it)
      out.insert((*it)[1]);
  }
  return out;
}

std::string ManualPage(const std::string& program) {
  std::ifstream in(std::string(KORVEX_SOURCE_DIR) + "/docs/man/" + program + ".1");
  std::stringstream s;
  s << in.rdbuf();
  return std::regex_replace(s.str(), std::regex(R"(\\-)"), "-");
}

TEST_P(Manners, ManualPageNamesEverySwitchOfTheHelp) {
  const std::string page = ManualPage(GetParam());
  ASSERT_FALSE(page.empty()) << "no manual page for " << GetParam();
  const testing::ProgramRun run = Run({"--help"});
  const std::set<std::string> switches = HelpSwitches(run.out);
  EXPECT_GE(switches.size(), 4u) << run.out;
  for (const std::string& s : switches) EXPECT_NE(page.find(s), std::string::npos) << GetParam() << ": " << s;
  const bool progress = run.out.find("KORVEX_PROGRESS_FD") != std::string::npos;
  EXPECT_EQ(page.find("KORVEX_PROGRESS_FD") != std::string::npos, progress);
}

INSTANTIATE_TEST_SUITE_P(Companions, Manners, ::testing::ValuesIn(Programs()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return info.param.substr(0, info.param.find('.'));
                         });

}  // namespace
}  // namespace korvex
