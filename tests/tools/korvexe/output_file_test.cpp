#include "korvexe/output_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>
#include <vector>

#include "gds/mapped_file.h"
#include "korvexe/run_control.h"

namespace korvex::engine {
namespace {

namespace fs = std::filesystem;

class OutputFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("korvexe_output_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    output_ = (dir_ / "out.gds").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Read() const {
    std::ifstream in(output_, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::size_t FilesInFolder() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
  }

  fs::path dir_;
  std::string output_;
};

// Buffers go to the file from a second thread: every byte must arrive, in order.
TEST_F(OutputFileTest, ManyBuffersArriveWholeAndInOrder) {
  std::vector<std::uint8_t> chunk(1 << 20);
  std::string expected;
  OutputStream out;
  out.Create(output_);
  for (int i = 0; i < 40; ++i) {
    for (std::size_t j = 0; j < chunk.size(); ++j) chunk[j] = static_cast<std::uint8_t>((i * 7 + j) & 0xFF);
    // Uneven pieces, so buffer borders fall in the middle of them.
    out.CopyBytes(chunk.data(), chunk.size() - static_cast<std::size_t>(i));
    expected.append(reinterpret_cast<const char*>(chunk.data()), chunk.size() - static_cast<std::size_t>(i));
  }
  EXPECT_EQ(out.bytes(), expected.size());
  out.Commit();
  EXPECT_TRUE(Read() == expected);
  EXPECT_EQ(FilesInFolder(), 1u);
}

// A write that fails in the background (here a file size limit, as a full disk would) must end
// the run with an error and leave the earlier output as it was.
TEST_F(OutputFileTest, FailedBackgroundWriteIsReportedAndKeepsTheOldOutput) {
  std::ofstream(output_, std::ios::binary) << "earlier output";
  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 3u << 20;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  bool failed = false;
  {
    OutputStream out;
    out.Create(output_);
    const std::vector<std::uint8_t> chunk(1 << 20, 0x42);
    try {
      for (int i = 0; i < 64; ++i) out.CopyBytes(chunk.data(), chunk.size());
      out.Commit();
    } catch (const EngineError& e) {
      failed = true;
      EXPECT_NE(std::string(e.what()).find("cannot write the output"), std::string::npos) << e.what();
    }
  }
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_TRUE(failed);
  EXPECT_EQ(Read(), "earlier output");
  EXPECT_EQ(FilesInFolder(), 1u);
}

// A run bet on writing its input: the bytes that match the input at the same place come from
// the early copy; at the first difference the file is cut there and written on as usual.
TEST_F(OutputFileTest, PresumedInputKeepsWhatMatchesAndNothingElse) {
  std::string input(40u << 20, '\0');  // more than one piece of the early copy
  for (std::size_t i = 0; i < input.size(); ++i) input[i] = static_cast<char>((i * 131 + i / 4099) & 0xFF);
  const std::string input_path = (dir_ / "in.gds").string();
  std::ofstream(input_path, std::ios::binary) << input;
  gds::MappedFile in;
  ASSERT_TRUE(in.Open(input_path));
  const auto* base = in.data();
  const auto bytes = [&input](std::size_t from, std::size_t to) {
    return std::vector<std::uint8_t>(input.begin() + static_cast<long>(from), input.begin() + static_cast<long>(to));
  };
  const std::size_t mid = 25u << 20;

  struct Case {
    const char* what;
    std::function<void(OutputStream&)> run;
    std::string expected;
  };
  const std::string changed = "CHANGED";
  const std::vector<Case> cases = {
      {"the whole input, written and copied in turns",
       [&](OutputStream& out) {
         const auto head = bytes(0, 1000);
         out.CopyBytes(head.data(), head.size());
         out.CopyInput(in.descriptor(), base, 1000, mid);
         const auto tail = bytes(mid, input.size());
         out.CopyBytes(tail.data(), tail.size());
       },
       input},
      {"a different byte in the middle",
       [&](OutputStream& out) {
         out.CopyInput(in.descriptor(), base, 0, mid);
         out.CopyBytes(reinterpret_cast<const std::uint8_t*>(changed.data()), changed.size());
         out.CopyInput(in.descriptor(), base, mid + 10, mid + 20);
       },
       input.substr(0, mid) + changed + input.substr(mid + 10, 10)},
      {"a stretch of the input from elsewhere",
       [&](OutputStream& out) {
         out.CopyInput(in.descriptor(), base, 0, 5000);
         out.CopyInput(in.descriptor(), base, 9000, 9100);
       },
       input.substr(0, 5000) + input.substr(9000, 100)},
      {"less than the input", [&](OutputStream& out) { out.CopyInput(in.descriptor(), base, 0, 123456); },
       input.substr(0, 123456)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OutputStream out;
    out.Create(output_);
    out.PresumeInput(in.descriptor(), base, input.size());
    c.run(out);
    EXPECT_EQ(out.bytes(), c.expected.size());
    out.Commit();
    const std::string got = Read();
    EXPECT_EQ(got.size(), c.expected.size());
    EXPECT_TRUE(got == c.expected);
  }
}

}  // namespace
}  // namespace korvex::engine
