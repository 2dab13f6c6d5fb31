#include "korvexe/background_writer.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace korvex::engine {
namespace {

// The output is synced before it is renamed: writing it back to the disk while the rest is
// still being made leaves that sync little to wait for.
constexpr std::uint64_t kWriteBackEvery = 32u << 20;

}  // namespace

BackgroundWriter::~BackgroundWriter() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

bool BackgroundWriter::Submit(std::vector<std::uint8_t>& buffer, std::size_t used) {
  if (used == 0) return Drain();
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return !busy_; });
  if (failed_) return false;
  if (job_.size() != buffer.size()) job_.resize(buffer.size());
  std::swap(job_, buffer);
  job_size_ = used;
  busy_ = true;
  if (!thread_.joinable()) {
    // Stop signals are noted by the main thread; this one only writes.
    sigset_t all;
    sigfillset(&all);
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &all, &previous);
    thread_ = std::thread(&BackgroundWriter::Run, this);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  }
  lock.unlock();
  changed_.notify_all();
  return true;
}

bool BackgroundWriter::Drain() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return !busy_; });
  return !failed_;
}

std::string BackgroundWriter::error() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return error_;
}

void BackgroundWriter::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return busy_ || stop_; });
    if (!busy_) return;
    const std::uint8_t* data = job_.data();
    std::size_t left = job_size_;
    lock.unlock();
    std::string error;
    while (left > 0) {
      const ssize_t n = ::write(fd_, data, left);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        error = n < 0 ? std::strerror(errno) : "nothing written";
        break;
      }
      data += n;
      left -= static_cast<std::size_t>(n);
    }
    if (error.empty()) StartWriteBack();
    lock.lock();
    if (!error.empty()) {
      failed_ = true;
      error_ = error;
    }
    busy_ = false;
    changed_.notify_all();
  }
}

// Starts writing back what was written since the last time, without waiting for it. A failure
// here is not the write's: the sync before the rename reports what matters.
void BackgroundWriter::StartWriteBack() {
  const off_t at = ::lseek(fd_, 0, SEEK_CUR);
  if (at < 0 || static_cast<std::uint64_t>(at) < written_back_ + kWriteBackEvery) return;
  engine::StartWriteBack(fd_, written_back_, static_cast<std::uint64_t>(at));
  written_back_ = static_cast<std::uint64_t>(at);
}

void StartWriteBack(int fd, std::uint64_t from, std::uint64_t to) {
#ifdef __linux__
  ::sync_file_range(fd, static_cast<off_t>(from), static_cast<off_t>(to - from), SYNC_FILE_RANGE_WRITE);
#else
  (void)fd, (void)from, (void)to;
#endif
}

}  // namespace korvex::engine
