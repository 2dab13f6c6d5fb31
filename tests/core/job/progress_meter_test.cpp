#include "core/job/progress_meter.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

TEST(ProgressMeterTest, TextsOfKnownAndUnknownTotals) {
  const ProgressDisplay scan = DescribeProgress("Scanning chip.gds", false, {"reading", 840000000, 2000000000}, 610e6);
  EXPECT_EQ(scan.percent, 42);
  EXPECT_EQ(scan.text, "Scanning chip.gds: 42% \u00B7 610.0 MB/s \u00B7 2 s left");

  const ProgressDisplay writing = DescribeProgress("Translating", true, {"writing", 1234567890, 0}, 0);
  EXPECT_EQ(writing.percent, -1);
  EXPECT_EQ(writing.text, "Translating: writing 1.2 GB");
  EXPECT_EQ(DescribeProgress("Translating", true, {"writing", 1234567890, 0}, 2.5e8).text,
            "Translating: writing 1.2 GB \u00B7 250.0 MB/s");

  // The end of a phase: no time left to tell; DONE beyond TOTAL is held at 100 %.
  EXPECT_EQ(DescribeProgress("Translating", true, {"reading", 50, 50}, 100).text,
            "Translating: reading 100% \u00B7 100 bytes/s");
  EXPECT_EQ(DescribeProgress("Scanning a.gds", false, {"reading", 70, 50}, 0).percent, 100);
  EXPECT_EQ(DescribeProgress("Scanning a.gds", false, {"reading", 0, 50}, 0).text, "Scanning a.gds: 0%");
}

TEST(ProgressMeterTest, DurationsRoundUpInTheirUnit) {
  EXPECT_EQ(DurationText(0), "0 s");
  EXPECT_EQ(DurationText(0.2), "1 s");
  EXPECT_EQ(DurationText(99), "99 s");
  EXPECT_EQ(DurationText(99.5), "2 min");
  EXPECT_EQ(DurationText(5940), "99 min");
  EXPECT_EQ(DurationText(6000), "1 h 40 min");
  EXPECT_EQ(DurationText(-3), "0 s");
}

// Lines come in pieces cut anywhere; the rate runs from the first line of the current phase.
TEST(ProgressMeterTest, FollowsLinesInPiecesAndRatesEachPhase) {
  ProgressMeter meter("Translating", true);
  EXPECT_FALSE(meter.Display().has_value());
  EXPECT_FALSE(meter.Take("read", 0.0));
  EXPECT_TRUE(meter.Take("ing 0 1000\nreading 10", 0.0));
  EXPECT_EQ(meter.Display()->text, "Translating: reading 0%");
  EXPECT_TRUE(meter.Take("0 1000\n", 0.25));  // too soon for a rate
  EXPECT_EQ(meter.Display()->text, "Translating: reading 10%");
  EXPECT_TRUE(meter.Take("reading 500 1000\n", 1.0));
  EXPECT_EQ(meter.Display()->text, "Translating: reading 50% \u00B7 500 bytes/s \u00B7 1 s left");

  // A second input: the same phase from the start again, rated anew.
  EXPECT_TRUE(meter.Take("reading 1000 1000\nreading 0 4000\n", 2.0));
  EXPECT_EQ(meter.Display()->text, "Translating: reading 0%");
  EXPECT_TRUE(meter.Take("reading 2000 4000\n", 3.0));
  EXPECT_EQ(meter.Display()->text, "Translating: reading 50% \u00B7 2.0 KB/s \u00B7 1 s left");
  EXPECT_TRUE(meter.Take("writing 3000000 0\n", 3.0));
  EXPECT_EQ(meter.Display()->percent, -1);
  EXPECT_EQ(meter.Display()->text, "Translating: writing 3.0 MB");
}

TEST(ProgressMeterTest, OtherTextIsPassedOver) {
  ProgressMeter meter("Scanning b.gds", false);
  EXPECT_TRUE(meter.Take("reading 1 4\n", 0));
  EXPECT_FALSE(meter.Take("quarn.exe: warning: odd record\n\nreading x 4\n", 1));
  EXPECT_FALSE(meter.Take(std::string(100000, 'z'), 1));  // an endless line is not kept growing
  EXPECT_FALSE(meter.Take("reading 3 4\n", 1));           // its tail, not a line of its own
  EXPECT_TRUE(meter.Take("reading 3 4\n", 1));
  EXPECT_EQ(meter.Display()->text, "Scanning b.gds: 75% \u00B7 2 bytes/s \u00B7 1 s left");
}

}  // namespace
}  // namespace korvex
