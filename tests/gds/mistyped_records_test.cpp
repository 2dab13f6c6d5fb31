// The scan reads a LAYER stored as a real and an XY stored as 2-byte integers as damage: each
// warned with its offset, neither read as a layer or as points.
#include <gtest/gtest.h>

#include "gds/diagnostics.h"
#include "gds/layout_summary.h"
#include "gds/mistyped_records.h"

namespace korvex::gds {
namespace {

TEST(MistypedRecords, TheScanWarnsAtTheirOffsetsAndReadsNoValueFromThem) {
  const testing::MistypedLibrary lib = testing::MistypedRecordsLibrary();
  Diagnostics diagnostics;
  LayoutSummary summary;
  ASSERT_TRUE(Summarize(lib.bytes.data(), lib.bytes.size(), diagnostics, summary));
  std::vector<std::string> texts;
  for (const Issue& issue : diagnostics.issues()) texts.push_back(issue.Text());
  const auto has = [&](std::uint64_t offset, const std::string& words) {
    const std::string start = "offset " + std::to_string(offset) + ":";
    for (const std::string& t : texts)
      if (t.rfind(start, 0) == 0 && t.find(words) != std::string::npos) return true;
    return false;
  };
  EXPECT_TRUE(has(lib.real_layer, "LAYER in structure TOP: record of the wrong data type not read"))
      << ::testing::PrintToString(texts);
  EXPECT_TRUE(has(lib.short_xy, "XY in structure TOP: record of the wrong data type not read"))
      << ::testing::PrintToString(texts);
  // Neither the real's bytes (16640) nor the short points give a layer or an extent.
  EXPECT_EQ(summary.layers.Values(), (std::vector<std::uint16_t>{1, 3}));
  const StructureSummary& top = summary.structures[summary.listed[0]];
  EXPECT_EQ(top.local.max_x, 10);
  EXPECT_EQ(top.local.max_y, 10);
}

}  // namespace
}  // namespace korvex::gds
