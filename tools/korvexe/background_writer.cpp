#include "korvexe/background_writer.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace korvex::engine {

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
    lock.lock();
    if (!error.empty()) {
      failed_ = true;
      error_ = error;
    }
    busy_ = false;
    changed_.notify_all();
  }
}

}  // namespace korvex::engine
