#include "korvexe/copies_ahead.h"

#include <pthread.h>
#include <signal.h>

#include <chrono>

#include "korvexe/run_control.h"

namespace korvex::engine {

CopiesAhead::CopiesAhead(std::vector<Batch> order, Make make, unsigned threads)
    : order_(std::move(order)), make_(std::move(make)), states_(kWindow, State::kFree) {
  for (std::size_t i = 0; i < kWindow; ++i) slots_.push_back(std::make_unique<AheadCopy>());
  // Stop signals are noted by the main thread; these only copy.
  sigset_t all, previous;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &previous);
  for (unsigned t = 0; t < threads; ++t) threads_.emplace_back(&CopiesAhead::Work, this);
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

CopiesAhead::~CopiesAhead() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  for (std::thread& t : threads_) t.join();
}

void CopiesAhead::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] {
      return stop_ || claimed_ == order_.size() || (claimed_ < consumed_ + kWindow && states_[claimed_ % kWindow] == State::kFree);
    });
    if (stop_ || claimed_ == order_.size()) return;
    const std::size_t i = claimed_++;
    AheadCopy& copy = *slots_[i % kWindow];
    states_[i % kWindow] = State::kMaking;
    lock.unlock();
    copy.plan.Clear();
    copy.counts = FilterCounts{};
    copy.pairs = PairTally{};
    copy.results.clear();
    copy.error = nullptr;
    try {
      for (std::uint32_t s : order_[i]) make_(s, copy);
    } catch (...) {
      copy.error = std::current_exception();
    }
    lock.lock();
    states_[i % kWindow] = State::kReady;
    changed_.notify_all();
  }
}

AheadCopy& CopiesAhead::Next() {
  std::unique_lock<std::mutex> lock(mutex_);
  const std::size_t slot = consumed_ % kWindow;
  while (!changed_.wait_for(lock, std::chrono::milliseconds(50), [&] { return states_[slot] == State::kReady; })) {
    lock.unlock();
    CheckStop();
    lock.lock();
  }
  AheadCopy& copy = *slots_[slot];
  if (copy.error) std::rethrow_exception(copy.error);
  return copy;
}

void CopiesAhead::Release() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    states_[consumed_ % kWindow] = State::kFree;
    ++consumed_;
  }
  changed_.notify_all();
}

}  // namespace korvex::engine
