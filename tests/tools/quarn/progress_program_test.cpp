// The progress lines of the real companions, on a generated layout: read from a file named by
// KORVEX_PROGRESS_FD, as the window reads them from its pipe.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>

#include <unistd.h>

#include "core/support/progress_line.h"
#include "run_program.h"

namespace korvex {
namespace {

namespace fs = std::filesystem;

const std::string kBin = KORVEX_BIN_DIR;

struct Phase {
  std::string name;
  std::vector<ProgressLine> lines;
};

// Consecutive lines of one name whose count does not fall back form a phase; every line must
// be a progress line.
std::vector<Phase> Phases(const std::string& text) {
  std::vector<Phase> phases;
  std::istringstream in(text);
  for (std::string row; std::getline(in, row);) {
    const std::optional<ProgressLine> line = ParseProgressLine(row);
    EXPECT_TRUE(line.has_value()) << "not a progress line: " << row;
    if (!line) continue;
    if (phases.empty() || phases.back().name != line->phase || line->done < phases.back().lines.back().done) {
      phases.push_back({line->phase, {}});
    }
    phases.back().lines.push_back(*line);
  }
  return phases;
}

class CompanionProgressTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("korvex_progress_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Generate(const std::string& name, const std::string& size) {
    const std::string path = (dir_ / name).string();
    const testing::ProgramRun run = testing::RunProgram({kBin + "/gdsgen", "--seed", "4", "--size", size, "-o", path});
    EXPECT_EQ(run.exit_code, 0) << run.err;
    return path;
  }

  // Runs a companion with its progress to a file; checks what every run must show and returns
  // its phases.
  std::vector<Phase> RunWithProgress(const std::vector<std::string>& argv) {
    const auto start = std::chrono::steady_clock::now();
    const testing::ProgramRun run = testing::RunProgram(argv, dir_.string(), 120, testing::ProgressTo::kFile);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, "");  // never on standard output or error
    EXPECT_EQ(run.err, "");
    const std::vector<Phase> phases = Phases(run.progress);
    std::size_t lines = 0;
    for (const Phase& phase : phases) {
      lines += phase.lines.size();
      const ProgressLine& last = phase.lines.back();
      EXPECT_EQ(last.done, last.total) << phase.name << " does not end complete";
      for (std::size_t i = 0; i + 1 < phase.lines.size(); ++i) {
        EXPECT_LE(phase.lines[i].done, phase.lines[i + 1].done);
        EXPECT_TRUE(phase.lines[i].total == last.total || phase.lines[i].total == 0) << phase.name;
        if (phase.lines[i].total != 0) {
          EXPECT_LE(phase.lines[i].done, phase.lines[i].total);
        }
      }
    }
    // About ten a second while a phase runs, and the line that ends each.
    EXPECT_LE(static_cast<double>(lines), seconds * 10 + 2 * static_cast<double>(phases.size()) + 1) << run.progress;
    return phases;
  }

  fs::path dir_;
};

TEST_F(CompanionProgressTest, ScannerTellsTheBytesItRead) {
  const std::string input = Generate("chip.gds", "40M");
  const std::uint64_t size = fs::file_size(input);
  const std::string report = (dir_ / "chip.ssn").string();
  const std::vector<std::string> scan = {kBin + "/quarn.exe", input, "-sh", "-sea", "-elmcnt", "-dtp", "-o:" + report};
  const std::vector<Phase> phases = RunWithProgress(scan);
  ASSERT_EQ(phases.size(), 1u);
  EXPECT_EQ(phases[0].name, "reading");
  EXPECT_GE(phases[0].lines.size(), 2u);  // a line on the way, not only the last
  EXPECT_EQ(phases[0].lines.back().total, size);

  // Standard output is never taken for progress, even when asked.
  const testing::ProgramRun asked = testing::RunProgram(scan, dir_.string(), 60, testing::ProgressTo::kStandardOutput);
  EXPECT_EQ(asked.exit_code, 0);
  EXPECT_EQ(asked.out, "");
  EXPECT_EQ(asked.err, "");
}

TEST_F(CompanionProgressTest, EngineTellsEachPass) {
  const std::string input = Generate("chip.gds", "40M");
  const std::string output = (dir_ / "copy.gds").string();
  std::vector<Phase> phases = RunWithProgress({kBin + "/korvexe.exe", input, output, ""});
  ASSERT_EQ(phases.size(), 2u);
  EXPECT_EQ(phases[0].name, "reading");
  EXPECT_EQ(phases[0].lines.back().total, fs::file_size(input));
  EXPECT_EQ(phases[1].name, "writing");
  // An output's size is known at its end: every line before the last has none (a quick copy
  // may tell only that last line).
  for (std::size_t i = 0; i + 1 < phases[1].lines.size(); ++i) EXPECT_EQ(phases[1].lines[i].total, 0u) << i;
  EXPECT_EQ(phases[1].lines.back().total, fs::file_size(output));

  // Flattening: far more is written than read, and told as it grows.
  const std::string small = Generate("small.gds", "300k");
  const std::string flat = (dir_ / "flat.gds").string();
  phases = RunWithProgress({kBin + "/korvexe.exe", small, flat, "", "-explode"});
  ASSERT_EQ(phases.size(), 2u);
  EXPECT_EQ(phases[1].name, "writing");
  EXPECT_GT(fs::file_size(flat), fs::file_size(small));
  EXPECT_EQ(phases[1].lines.back().total, fs::file_size(flat));
}

}  // namespace
}  // namespace korvex
