#include "core/support/log_view_limit.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

// Present-day desktops show reports and logs of up to 64 MiB themselves (the scan report of a
// layout of several hundred megabytes is a few megabytes); older platforms 32 KiB.
TEST(LogViewLimitTest, PresentDesktopsTake64MiBOlderPlatforms32KiB) {
  EXPECT_TRUE(FitsLogView(32768, 2));
  EXPECT_FALSE(FitsLogView(32769, 2));
  EXPECT_FALSE(FitsLogView(32769, 0));
  EXPECT_TRUE(FitsLogView(std::uint64_t{64} << 20, 4));
  EXPECT_FALSE(FitsLogView((std::uint64_t{64} << 20) + 1, 4));
  EXPECT_TRUE(FitsLogView(std::uint64_t{64} << 20, 3));
  EXPECT_TRUE(FitsLogView(1800000, 4));  // a 300 MB layout's report
}

}  // namespace
}  // namespace korvex
