// Copies of structures made ahead on worker threads and handed out in file order, so that
// reading and filtering run on every core while the main thread writes. Structures go in
// batches of neighbours written one after the other, which keeps the hand-overs few; the
// copies wait in memory, a few batches at a time, so only structures of moderate size are made
// ahead.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "korvexe/element_filter.h"
#include "korvexe/output_plan.h"
#include "korvexe/pair_tally.h"
#include "korvexe/structure_copier.h"

namespace korvex::engine {

// One batch's copy and what it counted.
struct AheadCopy {
  OutputPlan plan;
  FilterCounts counts;
  PairTally pairs;
  std::vector<CopyResult> results;  // per structure of the batch
  std::exception_ptr error;
};

class CopiesAhead {
 public:
  // The most input bytes of one batch; a larger structure is not made ahead.
  static constexpr std::uint64_t kBatchBytes = 4u << 20;

  using Batch = std::vector<std::uint32_t>;
  using Make = std::function<void(std::uint32_t structure, AheadCopy& copy)>;
  // Makes the copies of the batches with `make` (once per structure, in order, adding to the
  // batch's copy) on `threads` threads.
  CopiesAhead(std::vector<Batch> batches, Make make, unsigned threads);
  ~CopiesAhead();
  CopiesAhead(const CopiesAhead&) = delete;
  CopiesAhead& operator=(const CopiesAhead&) = delete;

  // The copy of the next batch, once made (its error rethrown). A stop signal ends the wait.
  // Release() it after use.
  AheadCopy& Next();
  void Release();

 private:
  void Work();

  static constexpr std::size_t kWindow = 4;
  enum class State { kFree, kMaking, kReady };
  std::vector<Batch> order_;
  Make make_;
  std::vector<std::unique_ptr<AheadCopy>> slots_;
  std::vector<State> states_;
  std::size_t claimed_ = 0;
  std::size_t consumed_ = 0;
  bool stop_ = false;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::thread> threads_;
};

}  // namespace korvex::engine
