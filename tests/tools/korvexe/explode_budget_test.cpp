// The flattener's memory budget: a child too large for it is read again from the input at each
// placement instead of being kept, and the flat result is the same whatever the budget.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/support/progress_channel.h"
#include "engine_fixture.h"
#include "gds/stream_writer.h"
#include "korvexe/element_filter.h"
#include "korvexe/engine_options.h"
#include "korvexe/explode.h"
#include "korvexe/flat_cache.h"
#include "korvexe/input_layout.h"
#include "korvexe/output_file.h"
#include "korvexe/pair_tally.h"

namespace korvex::engine {
namespace {

using enginetest::ArrayRef;
using enginetest::Cell;
using enginetest::LibraryOf;
using enginetest::PathOf;
using enginetest::Rect;
using enginetest::Ref;
using enginetest::TempDir;

struct Flat {
  std::string bytes;
  std::uint64_t cache_peak = 0;
  std::uint64_t elements = 0;
};

Flat Flatten(const std::string& input, const std::string& output, std::uint64_t budget, bool unfold = false) {
  EngineLog log;
  ProgressChannel progress;
  InputLayout in;
  LoadLayout(input, in, log, progress);
  EngineOptions options;
  options.unfold = unfold;
  ElementFilter filter(options, in.dbu_per_user_unit(), log);
  FilterCounts counts;
  PairTally pairs;
  OutputStream out;
  out.Create(output);
  gds::WriteLibraryHeader(out.records(), ReadHeaderRecords(in));
  Flattener flattener(in, filter, counts, log, &out, pairs, budget);
  const ExplodeResult r = flattener.Explode(*in.Find("TOP"), "TOP", false);
  gds::WriteLibraryEnd(out.records());
  out.Check();
  out.Commit();
  return {enginetest::ReadText(output), flattener.cache_peak(), r.elements};
}

TEST(ExplodeBudget, ChildrenLargerThanTheBudgetAreStreamedAndTheResultIsTheSame) {
  TempDir dir;
  std::vector<gds::Element> big;
  for (int i = 0; i < 300; ++i) big.push_back(Rect(1 + i % 3, 0, i * 10, 0, i * 10 + 5, 7));
  const std::string input = dir.File("in.gds");
  enginetest::WriteLibrary(
      input, LibraryOf({Cell("BIG", big), Cell("SMALL", {Rect(2, 0, 0, 0, 3, 3), Rect(2, 1, 4, 0, 6, 9)}),
                        Cell("TOP", {ArrayRef("BIG", 4, 5, {0, 0}, {16000, 0}, {0, 500}),
                                     Ref("BIG", -100, 20000, 90), Ref("BIG", 7, -3000, 180, true),
                                     ArrayRef("SMALL", 3, 3, {5, 5}, {35, 5}, {5, 35}),
                                     Ref("SMALL", 1, 2, 270, true), Rect(9, 9, 0, 0, 1, 1)})}));
  const Flat none = Flatten(input, dir.File("none.gds"), 0);
  EXPECT_EQ(none.cache_peak, 0u);
  EXPECT_EQ(none.elements, 22u * 300 + 10 * 2 + 1);

  // The budget holds the small child, not the big one: the big one is read 22 times.
  constexpr std::uint64_t kSmallBudget = 16u << 10;
  const Flat small = Flatten(input, dir.File("small.gds"), kSmallBudget);
  EXPECT_GT(small.cache_peak, 0u);
  EXPECT_LE(small.cache_peak, kSmallBudget);
  EXPECT_EQ(small.bytes, none.bytes);

  const Flat all = Flatten(input, dir.File("all.gds"), 64u << 20);
  EXPECT_GT(all.cache_peak, kSmallBudget);  // the big one kept too
  EXPECT_EQ(all.bytes, none.bytes);
}

// Round-ended paths unfolded into their outlines take many times their size in the input: a
// structure that seemed to fit is let go as soon as it does not, and streamed.
TEST(ExplodeBudget, AChildThatGrowsPastTheBudgetWhenReadIsLetGo) {
  TempDir dir;
  std::vector<gds::Element> paths;
  for (int i = 0; i < 40; ++i) paths.push_back(PathOf(3, 0, 400, 1, {{i * 1000, 0}, {i * 1000 + 500, 800}}));
  const std::string input = dir.File("in.gds");
  enginetest::WriteLibrary(input, LibraryOf({Cell("ROUND", paths),
                                             Cell("TOP", {ArrayRef("ROUND", 2, 5, {0, 0}, {100000, 0}, {0, 5000})})}));
  const Flat none = Flatten(input, dir.File("none.gds"), 0, true);
  // Enough for what the structure is expected to take (its bytes are less than the file's),
  // not for what it takes unfolded.
  const std::uint64_t budget = CachedStructure::Estimate(enginetest::ReadText(input).size(), paths.size());
  const Flat all = Flatten(input, dir.File("all.gds"), 64u << 20, true);
  ASSERT_GT(all.cache_peak, budget);
  EXPECT_EQ(all.bytes, none.bytes);

  const Flat tight = Flatten(input, dir.File("tight.gds"), budget, true);
  EXPECT_EQ(tight.cache_peak, 0u);
  EXPECT_EQ(tight.bytes, none.bytes);
  EXPECT_EQ(tight.elements, 10u * 40);
}

}  // namespace
}  // namespace korvex::engine
