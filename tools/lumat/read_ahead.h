// Reads the shapes a drawing is going to need on further threads while the drawing runs. The
// drawing meets the structures in the order of `plan` and reads each itself when it gets
// there first; the threads here take them from the last backwards, so that the two meet in
// the middle and the drawing finds most tables ready.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "lumat/view_index.h"

namespace korvex::lumat {

class ReadAhead {
 public:
  // `cancelled` (may be empty) is asked from the threads here.
  ReadAhead(const ViewIndex& index, std::vector<std::uint32_t> plan, unsigned threads, CancelFn cancelled);
  // Stops the threads (a table being read is finished or dropped) and waits for them.
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // One reading thread per processor beyond the drawing's own, at most three.
  static unsigned DefaultThreads();

 private:
  void Run();
  bool Stop() const { return m_stop.load(std::memory_order_relaxed) || (m_cancelled && m_cancelled()); }

  const ViewIndex& m_index;
  const std::vector<std::uint32_t> m_plan;
  const CancelFn m_cancelled;
  std::atomic<std::int64_t> m_next;
  std::atomic<bool> m_stop{false};
  std::vector<std::thread> m_threads;
};

}  // namespace korvex::lumat
