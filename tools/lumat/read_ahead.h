// Reads the shapes a drawing is going to need on further threads while the drawing runs. The
// first thread makes the plan: the structures in the order the drawing will meet them. The
// drawing reads each itself when it gets there first; the threads here take them from the
// last backwards, so that the two meet in the middle and the drawing finds most tables ready.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "lumat/view_index.h"

namespace korvex::lumat {

class ReadAhead {
 public:
  // `make_plan` gets the function that says when to give up. `cancelled` (may be empty) is
  // asked from the threads here.
  using PlanFn = std::function<std::vector<std::uint32_t>(const CancelFn& stop)>;
  ReadAhead(const ViewIndex& index, PlanFn make_plan, unsigned threads, CancelFn cancelled);
  // Stops the threads (a table being read is finished or dropped) and waits for them.
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // One reading thread per processor beyond the drawing's own, at most three.
  static unsigned DefaultThreads();

 private:
  void Run(bool planner);
  bool Stop() const { return m_stop.load(std::memory_order_relaxed) || (m_cancelled && m_cancelled()); }

  const ViewIndex& m_index;
  const PlanFn m_make_plan;
  const CancelFn m_cancelled;
  std::vector<std::uint32_t> m_plan;
  std::mutex m_mutex;
  std::condition_variable m_planned;
  bool m_has_plan = false;
  std::atomic<std::int64_t> m_next{-1};
  std::atomic<bool> m_stop{false};
  std::vector<std::thread> m_threads;
};

}  // namespace korvex::lumat
