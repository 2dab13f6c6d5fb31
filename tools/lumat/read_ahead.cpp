#include "lumat/read_ahead.h"

#include <algorithm>

namespace korvex::lumat {

ReadAhead::ReadAhead(const ViewIndex& index, std::vector<std::uint32_t> plan, unsigned threads, CancelFn cancelled)
    : m_index(index), m_plan(std::move(plan)), m_cancelled(std::move(cancelled)),
      m_next(static_cast<std::int64_t>(m_plan.size()) - 1) {
  if (m_plan.size() < 2) return;  // the drawing reads one table as fast by itself
  for (unsigned i = 0; i < threads; ++i) m_threads.emplace_back([this] { Run(); });
}

ReadAhead::~ReadAhead() {
  m_stop = true;
  for (std::thread& t : m_threads) t.join();
}

unsigned ReadAhead::DefaultThreads() {
  const unsigned processors = std::max(std::thread::hardware_concurrency(), 1u);
  return std::min(processors - 1, 3u);
}

void ReadAhead::Run() {
  const CancelFn stop = [this] { return Stop(); };
  for (;;) {
    const std::int64_t k = m_next.fetch_sub(1, std::memory_order_relaxed);
    if (k < 0 || Stop()) return;
    m_index.ReadAhead(m_plan[static_cast<std::size_t>(k)], stop);
  }
}

}  // namespace korvex::lumat
