#include "core/support/directive_format.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

std::string Format(const std::string& format, const std::vector<DirectiveValue>& values, std::size_t max = 255) {
  return FormatDirective(format, values, max);
}

TEST(DirectiveFormatTest, FillsTextsAndIntegersInOrder) {
  EXPECT_EQ(Format("Top structure: %s\n", {std::string("TOP")}), "Top structure: TOP\n");
  EXPECT_EQ(Format("%5d|%-4s|%03ld|%x|%%", {42LL, std::string("ab"), 7LL, 255LL}), "   42|ab  |007|ff|%");
  EXPECT_EQ(Format("%02d/%02d/%04d %2d:%02d:%02d %s", {3LL, 9LL, 2024LL, 0LL, 5LL, 7LL, std::string("am")}),
            "03/09/2024  0:05:07 am");
  EXPECT_EQ(Format("%.3s", {std::string("abcdef")}), "abc");
  EXPECT_EQ(Format("%u", {-1LL}), "4294967295");
}

TEST(DirectiveFormatTest, ValuesBeyondTheConversionsAreLeftOut) {
  EXPECT_EQ(Format("no conversions\n", {1LL, std::string("x")}), "no conversions\n");
  EXPECT_EQ(Format("%d", {1LL, 2LL}), "1");
}

TEST(DirectiveFormatTest, FormatsThatDoNotFitTheirValuesAreWrittenUnformatted) {
  EXPECT_EQ(Format("%s", {5LL}), "%s");
  EXPECT_EQ(Format("count %d", {std::string("TOP")}), "count %d");
  EXPECT_EQ(Format("%d %d", {5LL}), "%d %d");
  EXPECT_EQ(Format("%n", {5LL}), "%n");
  EXPECT_EQ(Format("%d%n", {5LL, 6LL}), "%d%n");
  EXPECT_EQ(Format("%f", {5LL}), "%f");
  EXPECT_EQ(Format("%*d", {5LL, 6LL}), "%*d");
  EXPECT_EQ(Format("%ls", {std::string("x")}), "%ls");
  EXPECT_EQ(Format("%#s", {std::string("x")}), "%#s");
  EXPECT_EQ(Format("%99999999d", {5LL}), "%99999999d");
  EXPECT_EQ(Format("trailing %", {5LL}), "trailing %");
  EXPECT_EQ(Format("%s", {}), "%s");
}

TEST(DirectiveFormatTest, ResultIsCutToTheLineLength) {
  EXPECT_EQ(Format("%999s", {std::string("x")}).size(), 255u);
  EXPECT_EQ(Format("ab%s", {std::string("cdef")}, 4), "abcd");
}

}  // namespace
}  // namespace korvex
