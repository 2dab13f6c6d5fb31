#include "core/support/progress_channel.h"

#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <ctime>

#include "core/support/progress_line.h"

namespace korvex {
namespace {

std::int64_t SteadyMilliseconds() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

enum class Written { kWhole, kLeftOut, kReaderGone };

// A write to a pipe whose reader has gone raises SIGPIPE, which would end the program: it is
// held back on this thread for the write, and taken away again when this write raised it.
Written WriteLine(int fd, const char* line, std::size_t size) {
  sigset_t pipeSignal;
  sigset_t before;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  ::pthread_sigmask(SIG_BLOCK, &pipeSignal, &before);
  sigset_t pending;
  sigemptyset(&pending);
  ::sigpending(&pending);
  const bool alreadyPending = sigismember(&pending, SIGPIPE) == 1;
  ssize_t n;
  do {
    n = ::write(fd, line, size);
  } while (n < 0 && errno == EINTR);
  const int error = n < 0 ? errno : 0;
  if (error == EPIPE && !alreadyPending) {
    const timespec none{0, 0};
    ::sigtimedwait(&pipeSignal, nullptr, &none);
  }
  ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
  if (n >= 0) return Written::kWhole;  // a line is shorter than PIPE_BUF: never split
  return error == EAGAIN || error == EWOULDBLOCK ? Written::kLeftOut : Written::kReaderGone;
}

}  // namespace

ProgressChannel::ProgressChannel(int fd, Clock clock, std::int64_t intervalMs)
    : m_fd(fd), m_clock(std::move(clock)), m_intervalMs(intervalMs) {}

ProgressChannel ProgressChannel::FromEnvironment() {
  const int fd = ProgressDescriptor(std::getenv(kProgressFdVariable));
  if (fd < 0) return ProgressChannel();
  return ProgressChannel(fd, SteadyMilliseconds);
}

void ProgressChannel::Begin(std::string_view phase, std::uint64_t total) {
  m_phase = std::string(phase);
  m_total = total;
  m_done.store(0, std::memory_order_relaxed);
}

void ProgressChannel::Add(std::uint64_t bytes) {
  if (!active()) return;
  m_done.fetch_add(bytes, std::memory_order_relaxed);
  Tick(false);
}

void ProgressChannel::Set(std::uint64_t done) {
  if (!active()) return;
  std::uint64_t seen = m_done.load(std::memory_order_relaxed);
  while (done > seen && !m_done.compare_exchange_weak(seen, done, std::memory_order_relaxed)) {
  }
  Tick(false);
}

std::function<bool(std::uint64_t, std::uint64_t)> ProgressChannel::Follow(std::string_view phase,
                                                                          std::function<bool()> keep_going) {
  return [this, name = std::string(phase), keep_going = std::move(keep_going), started = false](
             std::uint64_t done, std::uint64_t total) mutable {
    if (!started) Begin(name, total);
    started = true;
    Set(done);
    return !keep_going || keep_going();
  };
}

void ProgressChannel::End() {
  if (active()) Tick(true);
}

void ProgressChannel::Tick(bool last) {
  const std::int64_t now = m_clock();
  if (!last && now < m_nextLine.load(std::memory_order_relaxed)) return;
  std::unique_lock<std::mutex> lock(m_writing, std::defer_lock);
  if (last) {
    lock.lock();
  } else if (!lock.try_lock() || now < m_nextLine.load(std::memory_order_relaxed)) {
    return;  // another thread is writing this interval's line
  }
  std::uint64_t done = m_done.load(std::memory_order_relaxed);
  if (m_total != 0) done = last ? m_total : std::min(done, m_total);
  char line[kProgressLineCapacity];
  const std::size_t size = FormatProgressLine(line, sizeof line, m_phase, done, last && m_total == 0 ? done : m_total);
  if (size == 0) return;
  if (WriteLine(m_fd, line, size) == Written::kReaderGone) m_broken.store(true, std::memory_order_relaxed);
  m_nextLine.store(now + m_intervalMs, std::memory_order_relaxed);
}

}  // namespace korvex
