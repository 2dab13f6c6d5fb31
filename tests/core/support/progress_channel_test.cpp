#include "core/support/progress_channel.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/support/progress_line.h"

namespace korvex {
namespace {

using Lines = std::vector<std::string>;

TEST(ProgressLineTest, FormatsAndReadsBack) {
  char buffer[kProgressLineCapacity];
  const std::size_t size = FormatProgressLine(buffer, sizeof buffer, "reading", 18446744073709551615u, 0);
  EXPECT_EQ(std::string(buffer, size), "reading 18446744073709551615 0\n");
  const std::optional<ProgressLine> line = ParseProgressLine(std::string_view(buffer, size - 1));
  ASSERT_TRUE(line.has_value());
  EXPECT_EQ(*line, (ProgressLine{"reading", 18446744073709551615u, 0}));
  EXPECT_EQ(ParseProgressLine("writing 5 9\r"), (ProgressLine{"writing", 5, 9}));

  // A phase is one word: nothing is written for anything else, however large the buffer.
  char large[256];
  EXPECT_EQ(FormatProgressLine(large, sizeof large, "two words", 1, 2), 0u);
  EXPECT_EQ(FormatProgressLine(large, sizeof large, std::string(kMaxProgressPhase + 1, 'a'), 1, 2), 0u);
  EXPECT_EQ(FormatProgressLine(large, sizeof large, "", 1, 2), 0u);
  EXPECT_EQ(FormatProgressLine(buffer, kProgressLineCapacity - 1, "reading", 1, 2), 0u);
}

TEST(ProgressLineTest, AnythingElseIsNoLine) {
  for (const char* text : {"", "reading", "reading 1", "reading 1 ", "reading 1 2 3", "reading -1 2", "reading 1  2",
                           " reading 1 2", "read9 1 2", "reading 0x1 2", "reading 18446744073709551616 0",
                           "reading 1 2x", "Error: disk full"}) {
    EXPECT_FALSE(ParseProgressLine(text).has_value()) << text;
  }
}

TEST(ProgressLineTest, DescriptorMustBeOpenAndNotStandard) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  EXPECT_EQ(ProgressDescriptor(std::to_string(fds[1]).c_str()), fds[1]);
  for (const char* value : {"0", "1", "2", "-4", "", "x5", "5x", " 5", "99999999999"}) {
    EXPECT_EQ(ProgressDescriptor(value), -1) << value;
  }
  EXPECT_EQ(ProgressDescriptor(nullptr), -1);
  ::close(fds[1]);
  EXPECT_EQ(ProgressDescriptor(std::to_string(fds[1]).c_str()), -1);  // no longer open
  ::close(fds[0]);
}

// A pipe the test reads back, and a clock it sets.
class ProgressChannelTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(::pipe2(fds_, O_NONBLOCK), 0); }
  void TearDown() override {
    for (int fd : fds_) {
      if (fd >= 0) ::close(fd);
    }
  }
  ProgressChannel::Clock Clock() {
    return [this] { return now_.load(); };
  }
  Lines Written() {
    std::string bytes;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds_[0], buffer, sizeof buffer)) > 0;) bytes.append(buffer, static_cast<std::size_t>(n));
    Lines lines;
    for (std::size_t start = 0, end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
      lines.push_back(bytes.substr(start, end - start));
    }
    return lines;
  }

  int fds_[2] = {-1, -1};
  std::atomic<std::int64_t> now_{1000};
};

TEST_F(ProgressChannelTest, OneLinePerIntervalAndEveryPhaseEndsComplete) {
  ProgressChannel channel(fds_[1], Clock(), 100);
  channel.Begin("reading", 100);
  channel.Add(10);  // the first line goes at once
  now_ += 50;
  channel.Add(10);  // too soon
  now_ += 50;
  channel.Add(10);
  now_ += 100;
  channel.Add(500);  // more than the total: held at it
  channel.End();     // whenever it comes
  channel.Begin("writing", 0);
  now_ += 100;
  channel.Set(7);
  now_ += 100;
  channel.Set(3);  // never back
  channel.Set(9);  // too soon, but told by the end
  channel.End();
  EXPECT_EQ(Written(), (Lines{"reading 10 100", "reading 30 100", "reading 100 100", "reading 100 100", "writing 7 0",
                              "writing 7 0", "writing 9 9"}));
}

TEST_F(ProgressChannelTest, InactiveChannelWritesNothing) {
  ProgressChannel silent;
  EXPECT_FALSE(silent.active());
  silent.Begin("reading", 10);
  silent.Add(5);
  silent.End();
  ProgressChannel badPhase(fds_[1], Clock(), 100);
  badPhase.Begin("two words", 10);
  badPhase.End();
  EXPECT_EQ(Written(), Lines{});
}

// The scanner's threads add at once: every line is whole and DONE never falls back.
TEST_F(ProgressChannelTest, ThreadsAddingAtOnceGiveWholeRisingLines) {
  ProgressChannel channel(fds_[1], Clock(), 0);
  constexpr int kThreads = 4;
  constexpr int kAdds = 20000;
  channel.Begin("reading", std::uint64_t{kThreads} * kAdds);
  std::vector<std::thread> threads;
  std::atomic<bool> reading{true};
  Lines lines;
  std::thread reader([&] {
    while (reading) {
      const Lines more = Written();
      lines.insert(lines.end(), more.begin(), more.end());
    }
  });
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kAdds; ++i) {
        channel.Add(1);
        ++now_;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  reading = false;
  reader.join();
  // The pipe is emptied first: a line that finds it full is left out, and the last one is
  // looked at below.
  Lines rest = Written();
  lines.insert(lines.end(), rest.begin(), rest.end());
  channel.End();
  rest = Written();
  lines.insert(lines.end(), rest.begin(), rest.end());
  ASSERT_FALSE(lines.empty());
  std::uint64_t last = 0;
  for (const std::string& text : lines) {
    const std::optional<ProgressLine> line = ParseProgressLine(text);
    ASSERT_TRUE(line.has_value()) << text;
    EXPECT_GE(line->done, last) << text;
    last = line->done;
  }
  EXPECT_EQ(lines.back(), "reading 80000 80000");
}

// A full pipe loses lines, not time; a reader that has gone ends the channel, not the program.
TEST_F(ProgressChannelTest, FullPipeAndGoneReaderNeitherBlockNorKill) {
  ProgressChannel channel(fds_[1], Clock(), 0);
  channel.Begin("writing", 0);
  for (int i = 0; i < 100000; ++i) channel.Set(static_cast<std::uint64_t>(i));  // far more than a pipe holds
  EXPECT_TRUE(channel.active());
  ::close(fds_[0]);
  fds_[0] = -1;
  channel.Set(200000);  // SIGPIPE would end the test program here
  EXPECT_FALSE(channel.active());
  channel.End();
}

}  // namespace
}  // namespace korvex
