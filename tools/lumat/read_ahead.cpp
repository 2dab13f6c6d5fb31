#include "lumat/read_ahead.h"

#include <algorithm>

namespace korvex::lumat {

ReadAhead::ReadAhead(const ViewIndex& index, PlanFn make_plan, unsigned threads, CancelFn cancelled)
    : m_index(index), m_make_plan(std::move(make_plan)), m_cancelled(std::move(cancelled)) {
  for (unsigned i = 0; i < threads; ++i) m_threads.emplace_back([this, i] { Run(i == 0); });
}

ReadAhead::~ReadAhead() {
  m_stop = true;
  for (std::thread& t : m_threads) t.join();
}

unsigned ReadAhead::DefaultThreads() {
  const unsigned processors = std::max(std::thread::hardware_concurrency(), 1u);
  return std::min(processors - 1, 3u);
}

void ReadAhead::Run(bool planner) {
  const CancelFn stop = [this] { return Stop(); };
  if (planner) {
    std::vector<std::uint32_t> plan = m_make_plan(stop);
    std::lock_guard lock(m_mutex);
    m_plan = std::move(plan);
    m_next = static_cast<std::int64_t>(m_plan.size()) - 1;
    m_has_plan = true;
    m_planned.notify_all();
  } else {
    std::unique_lock lock(m_mutex);
    m_planned.wait(lock, [this] { return m_has_plan; });
  }
  for (;;) {
    const std::int64_t k = m_next.fetch_sub(1, std::memory_order_relaxed);
    if (k < 0 || Stop()) return;
    m_index.ReadAhead(m_plan[static_cast<std::size_t>(k)], stop);
  }
}

}  // namespace korvex::lumat
