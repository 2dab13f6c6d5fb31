// Writes full output buffers on a thread of its own, so that building the next buffer and the
// kernel's work of taking in the last one overlap (explode writes several times its input).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace korvex::engine {

// Starts writing bytes [from, to) of `fd` back to the disk, without waiting for it: the sync
// before the rename then has little left to wait for. A failure here is not the write's.
void StartWriteBack(int fd, std::uint64_t from, std::uint64_t to);

class BackgroundWriter {
 public:
  BackgroundWriter() = default;
  ~BackgroundWriter();
  BackgroundWriter(const BackgroundWriter&) = delete;
  BackgroundWriter& operator=(const BackgroundWriter&) = delete;

  // Writes to `fd` from now on; the thread starts with the first buffer.
  void Attach(int fd) { fd_ = fd; }

  // Hands over the first `used` bytes of `buffer` and gives back an empty buffer of the same
  // size in its place. Waits while the previous buffer is still being written. False once a
  // write has failed (error() says why).
  bool Submit(std::vector<std::uint8_t>& buffer, std::size_t used);

  // Waits until everything handed over is written. False once a write has failed.
  bool Drain();

  std::string error() const;

 private:
  void Run();
  void StartWriteBack();

  int fd_ = -1;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::uint8_t> job_;
  std::size_t job_size_ = 0;
  bool busy_ = false;
  bool stop_ = false;
  bool failed_ = false;
  std::string error_;
  std::uint64_t written_back_ = 0;  // of the file, asked to be written to the disk
};

}  // namespace korvex::engine
