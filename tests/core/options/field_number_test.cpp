#include <gtest/gtest.h>

#include <climits>

#include "core/options/field_number.h"

namespace korvex {
namespace {

TEST(ReadRealField, AcceptsWholeNumbersWithinRangeOnly) {
  double value = -1;
  for (const char* good : {"0", " 12.5 ", "+3", "1e3", "1000000"}) {
    EXPECT_EQ(ReadRealField(good, 0, 1000000, value), "") << good;
  }
  EXPECT_EQ(value, 1000000);
  for (const char* bad : {"", "  ", "12 x", "abc", "nan", "inf", "1e400", "-0.5", "1000000.001", "0x10"}) {
    value = 7;
    EXPECT_EQ(ReadRealField(bad, 0, 1000000, value), "Please enter a number between 0 and 1000000.") << bad;
    EXPECT_EQ(value, 7) << bad;  // a refused field leaves the value alone
  }
}

TEST(ReadIntegerField, RefusesFractionsAndOverflow) {
  int value = 0;
  EXPECT_EQ(ReadIntegerField("-2147483648", INT_MIN, INT_MAX, value), "");
  EXPECT_EQ(value, INT_MIN);
  EXPECT_NE(ReadIntegerField("2147483648", INT_MIN, INT_MAX, value), "");
  EXPECT_EQ(ReadIntegerField("2.5", 0, 10, value), "Please enter an integer between 0 and 10.");
}

TEST(FormatFieldReal, ShowsFifteenSignificantDigitsWithoutTrailingZeros) {
  EXPECT_EQ(FormatFieldReal(1000000), "1000000");
  EXPECT_EQ(FormatFieldReal(0.25), "0.25");
  EXPECT_EQ(FormatFieldReal(0.1 + 0.2), "0.3");
  EXPECT_EQ(FormatFieldReal(1e20), "1e+20");
}

}  // namespace
}  // namespace korvex
