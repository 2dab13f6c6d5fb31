// Copies an input file into an output from the start, file to file, on a thread of its own,
// while the run is still reading the input: a run that changes nothing writes exactly its
// input, and the copy then costs no time of its own. The end may be lowered while it runs.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace korvex::engine {

class PrefixCopy {
 public:
  PrefixCopy() = default;
  ~PrefixCopy() { Abandon(); }
  PrefixCopy(const PrefixCopy&) = delete;
  PrefixCopy& operator=(const PrefixCopy&) = delete;

  // Starts copying bytes [0, size) of `in` to the same places of `out`.
  void Start(int in, int out, std::uint64_t size);
  // Copies no further than `end` (at most what was started) and waits until the copy has
  // reached it. False when it could not (error() says why). The output may hold bytes past
  // `end`, for the caller to cut.
  bool FinishAt(std::uint64_t end);
  // Stops as soon as it can and waits.
  void Abandon();
  std::string error() const;

 private:
  void Run();
  bool CopyPiece(std::uint64_t at, std::uint64_t size);

  int in_ = -1;
  int out_ = -1;
  std::atomic<std::uint64_t> end_{0};
  std::atomic<bool> stop_{false};
  std::uint64_t done_ = 0;  // bytes copied: read by others only after the thread has ended
  bool plain_ = false;      // the kernel cannot copy between these files: read and write
  std::thread thread_;
  mutable std::mutex mutex_;
  std::string error_;
};

}  // namespace korvex::engine
