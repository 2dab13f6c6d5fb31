#include "core/support/log_view_limit.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

TEST(LogViewLimitTest, OlderPlatformsTakeAnEighthOfWhatPresentOnesTake) {
  EXPECT_TRUE(FitsLogView(32768, 2));
  EXPECT_FALSE(FitsLogView(32769, 2));
  EXPECT_FALSE(FitsLogView(32769, 0));
  EXPECT_TRUE(FitsLogView(262144, 4));
  EXPECT_FALSE(FitsLogView(262145, 4));
  EXPECT_TRUE(FitsLogView(262144, 3));
}

}  // namespace
}  // namespace korvex
