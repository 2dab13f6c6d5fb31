// The writing end of the progress lines: what the companions use to tell the window how far
// they are.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace korvex {

inline constexpr std::int64_t kProgressIntervalMs = 100;  // about ten lines a second

// Writes "PHASE DONE TOTAL" lines to one descriptor: at most one per interval while a phase
// runs, and always the line that ends it. Updates cost an atomic add and a clock read, and may
// come from several threads. A line that does not fit into a full pipe is left out; a reader
// that has gone ends the channel, never the program.
class ProgressChannel {
 public:
  using Clock = std::function<std::int64_t()>;  // monotonic milliseconds

  ProgressChannel() = default;  // writes nothing
  ProgressChannel(int fd, Clock clock, std::int64_t intervalMs = kProgressIntervalMs);
  ProgressChannel(const ProgressChannel&) = delete;
  ProgressChannel& operator=(const ProgressChannel&) = delete;

  // The channel KORVEX_PROGRESS_FD names, or one that writes nothing. Made before the
  // program opens anything, so that the number cannot name one of its own files.
  static ProgressChannel FromEnvironment();

  bool active() const { return m_fd >= 0 && !m_broken.load(std::memory_order_relaxed); }

  // Starts a phase of `total` bytes (0: not known). Not while updates of the last one run.
  void Begin(std::string_view phase, std::uint64_t total);
  // Adds bytes done in the current phase; from any thread.
  void Add(std::uint64_t bytes);
  // The bytes done so far in the current phase (never less than before).
  void Set(std::uint64_t done);
  // Ends the phase with a line whose DONE equals its TOTAL (the bytes done when the total
  // was not known).
  void End();
  // Follows work that reports (done, total) as it goes, as `phase`, begun at its first report;
  // the follower answers whether the work goes on (`keep_going`, or always). End() it after.
  std::function<bool(std::uint64_t, std::uint64_t)> Follow(std::string_view phase,
                                                           std::function<bool()> keep_going = {});

 private:
  void Tick(bool last);

  int m_fd = -1;
  Clock m_clock;
  std::int64_t m_intervalMs = kProgressIntervalMs;
  std::string m_phase;
  std::uint64_t m_total = 0;
  std::atomic<std::uint64_t> m_done{0};
  std::atomic<std::int64_t> m_nextLine{0};
  std::atomic<bool> m_broken{false};
  std::mutex m_writing;
};

}  // namespace korvex
