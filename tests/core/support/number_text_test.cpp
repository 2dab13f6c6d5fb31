#include "core/support/number_text.h"

#include <gtest/gtest.h>

#include "core/support/frame_title.h"
#include "core/support/platform.h"

namespace korvex {
namespace {

TEST(FormatReal, TrailingZerosGoAndNegativeZeroNeverShows) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {{0.5, "0.5"},   {2, "2"},       {100, "100"}, {-2.25, "-2.25"}, {3.14159265358979, "3.1415926536"},
               {1e-11, "0"},   {-1e-11, "0"},  {0, "0"},     {0.35, "0.35"},   {1000000, "1000000"}};
  for (const Case& c : cases) EXPECT_EQ(FormatReal(c.value, 1e-10, 64), c.text) << c.value;
}

TEST(FormatReal, ResolutionChoosesDecimalsAndWidthCuts) {
  EXPECT_EQ(FormatReal(1.234, 0.05, 64), "1.23");
  EXPECT_EQ(FormatReal(2.6, 1, 64), "3");
  EXPECT_EQ(FormatReal(1.0 / 3, 1e-10, 5), "0.33");
  EXPECT_EQ(FormatReal(-1.0 / 3, 1e-10, 5), "-0.3");
}

TEST(LeadingNumbers, ReadLikeTheCLibrary) {
  EXPECT_EQ(LeadingInteger("12abc"), 12);
  EXPECT_EQ(LeadingInteger("abc"), 0);
  EXPECT_EQ(LeadingInteger(" -7"), -7);
  EXPECT_EQ(LeadingInteger("4294967295"), -1);  // unsigned text of -1 comes back as -1
  EXPECT_DOUBLE_EQ(LeadingReal("0.35"), 0.35);
  EXPECT_DOUBLE_EQ(LeadingReal("x1"), 0.0);
}

TEST(FrameTitle, NameOfTheInputWithoutItsDirectory) {
  EXPECT_EQ(ComposeFrameTitle("KORVEX", false, "/w/chip.gds"), "KORVEX");
  EXPECT_EQ(ComposeFrameTitle("KORVEX", true, ""), "KORVEX");
  EXPECT_EQ(ComposeFrameTitle("KORVEX", true, "/w/chip.gds"), "KORVEX - chip.gds");
  EXPECT_EQ(ComposeFrameTitle("KORVEX", true, "/w/chip.gds", true), "chip.gds - KORVEX");
  EXPECT_EQ(GetPlatformKind(), 4);
}

}  // namespace
}  // namespace korvex
