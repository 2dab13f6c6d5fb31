#include "core/support/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>

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

namespace korvex {
namespace {

// The window framework sets the C locale from the environment; numbers in files must not care.
TEST(NumberTextLocale, DecimalCommaLocaleChangesNothing) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous != nullptr ? previous : "C";
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr && std::setlocale(LC_NUMERIC, "de_DE") == nullptr) {
    GTEST_SKIP() << "no locale with a decimal comma is installed";
  }
  const std::string text = FormatReal(0.35, 1e-10, 64);
  const double back = LeadingReal("0.35");
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ(text, "0.35");
  EXPECT_DOUBLE_EQ(back, 0.35);
}

TEST(LeadingReal, OnlyPlainDecimalNumbers) {
  EXPECT_DOUBLE_EQ(LeadingReal(" 2.5e3x"), 2500);
  EXPECT_DOUBLE_EQ(LeadingReal("-.5"), -0.5);
  EXPECT_EQ(LeadingReal("inf"), 0);
  EXPECT_EQ(LeadingReal("0x10"), 0);
  EXPECT_EQ(LeadingReal("1e999"), std::numeric_limits<double>::infinity());
  // Large values print every digit the double holds; only the width cuts.
  EXPECT_EQ(FormatReal(1e60, 1e-10, 64), "999999999999999949387135297074018866963645011013410073083904");
  EXPECT_EQ(FormatReal(1e70, 1e-10, 64).size(), 63u);
}

}  // namespace
}  // namespace korvex
