// Copies made on worker threads must come back in order, each batch whole, whatever order the
// threads finish in; a copy that failed fails where it is taken.
#include "korvexe/copies_ahead.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "korvexe/output_file.h"

namespace korvex::engine {
namespace {

TEST(CopiesAhead, HandsOutEveryBatchInOrderWithItsCounts) {
  std::vector<CopiesAhead::Batch> batches;
  std::uint32_t next = 0;
  for (std::size_t b = 0; b < 40; ++b) {
    batches.emplace_back();
    for (std::size_t k = 0; k < 1 + b % 3; ++k) batches.back().push_back(next++);
  }
  const auto make = [](std::uint32_t s, AheadCopy& copy) {
    // Uneven work, so that the threads overtake each other.
    if (s % 7 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(3));
    const std::uint8_t byte = static_cast<std::uint8_t>(s);
    copy.plan.CopyBytes(&byte, 1);
    copy.pairs.Count(KeyOf(static_cast<std::uint16_t>(s), 0), true);
    CopyResult r;
    r.elements = s;
    copy.results.push_back(r);
  };
  CopiesAhead ahead(batches, make, 2);
  std::uint32_t expected = 0;
  for (const CopiesAhead::Batch& batch : batches) {
    AheadCopy& copy = ahead.Next();
    ASSERT_EQ(copy.results.size(), batch.size());
    for (std::size_t k = 0; k < batch.size(); ++k) EXPECT_EQ(copy.results[k].elements, expected + k);
    EXPECT_EQ(copy.pairs.in(), batch.size());
    EXPECT_EQ(copy.plan.held(), batch.size());
    expected += static_cast<std::uint32_t>(batch.size());
    ahead.Release();
  }
}

TEST(CopiesAhead, AFailedCopyFailsWhereItIsTaken) {
  const auto make = [](std::uint32_t s, AheadCopy& copy) {
    if (s == 2) throw std::runtime_error("copy 2 failed");
    copy.results.emplace_back();
  };
  CopiesAhead ahead({{0}, {1}, {2}, {3}}, make, 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(ahead.Next().results.size(), 1u);
    ahead.Release();
  }
  EXPECT_THROW(ahead.Next(), std::runtime_error);
}

}  // namespace
}  // namespace korvex::engine
