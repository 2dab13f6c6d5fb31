#include "ui/help_topics.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

TEST(HelpTopics, FourContextsHaveTopicsOthersShowContents) {
  EXPECT_EQ(HelpPlaceForContext(0x20089), (HelpPlace{"korvex.html", "topic-250"}));
  EXPECT_EQ(HelpPlaceForContext(0x2008B), (HelpPlace{"korvex.html", "topic-200"}));
  EXPECT_EQ(HelpPlaceForContext(0x2008C), (HelpPlace{"korvex.html", "topic-100"}));
  EXPECT_EQ(HelpPlaceForContext(0x20091), (HelpPlace{"korvex.html", "topic-300"}));
  EXPECT_EQ(HelpPlaceForContext(0x2008A), (HelpPlace{"korvex.html", ""}));
  EXPECT_EQ(HelpPlaceForContext(kHelpContextMainWindow), (HelpPlace{"korvex.html", ""}));
  EXPECT_EQ(HelpPlaceForContext(0), (HelpPlace{"korvex.html", ""}));
}

}  // namespace
}  // namespace korvex
