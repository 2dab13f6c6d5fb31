#include "korvexe/prefix_copy.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "korvexe/background_writer.h"

namespace korvex::engine {
namespace {

constexpr std::uint64_t kPiece = 16u << 20;  // how far the copy may run past a lowered end

}  // namespace

void PrefixCopy::Start(int in, int out, std::uint64_t size) {
  in_ = in;
  out_ = out;
  end_ = size;
  // Stop signals are noted by the main thread; this one only copies.
  sigset_t all, previous;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &previous);
  thread_ = std::thread(&PrefixCopy::Run, this);
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

bool PrefixCopy::FinishAt(std::uint64_t end) {
  std::uint64_t now = end_.load();
  while (end < now && !end_.compare_exchange_weak(now, end)) {
  }
  if (thread_.joinable()) thread_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  return error_.empty() && done_ >= std::min(end, now);
}

void PrefixCopy::Abandon() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

std::string PrefixCopy::error() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return error_;
}

void PrefixCopy::Run() {
  while (!stop_ && done_ < end_.load()) {
    const std::uint64_t from = done_, size = std::min(kPiece, end_.load() - done_);
    if (!CopyPiece(from, size)) return;
    StartWriteBack(out_, from, done_);
  }
}

bool PrefixCopy::CopyPiece(std::uint64_t at, std::uint64_t size) {
  std::string error;
  while (size > 0 && error.empty()) {
    ssize_t n;
    if (!plain_) {
      loff_t from = static_cast<loff_t>(at), to = static_cast<loff_t>(at);
      n = ::copy_file_range(in_, &from, out_, &to, size, 0);
      if (n < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
        plain_ = true;
        continue;
      }
    } else {
      std::vector<std::uint8_t> buffer(std::min<std::uint64_t>(size, 1u << 20));
      n = ::pread(in_, buffer.data(), buffer.size(), static_cast<off_t>(at));
      for (ssize_t put = 0; n > 0 && put < n;) {
        const ssize_t m = ::pwrite(out_, buffer.data() + put, static_cast<std::size_t>(n - put),
                                   static_cast<off_t>(at) + put);
        if (m < 0 && errno == EINTR) continue;
        if (m <= 0) {
          error = m < 0 ? std::strerror(errno) : "nothing written";
          break;
        }
        put += m;
      }
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && error.empty()) error = std::strerror(errno);
    if (n == 0) error = "the input changed while it was read";
    if (!error.empty()) break;
    at += static_cast<std::uint64_t>(n);
    size -= static_cast<std::uint64_t>(n);
    done_ = at;
  }
  if (error.empty()) return true;
  std::lock_guard<std::mutex> lock(mutex_);
  error_ = error;
  return false;
}

}  // namespace korvex::engine
