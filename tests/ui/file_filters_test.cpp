#include "ui/file_filters.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

using Filters = std::vector<std::string>;

TEST(FileFilters, SpecificTypeFirstAndAllFilesMatchNamesWithoutDot) {
  EXPECT_EQ(DialogNameFilters(kGdsFileTypes),
            (Filters{"GDS Files (*.gds *.gds.gz *.gdsii *.str)", "All Files (*)"}));
  EXPECT_EQ(DialogNameFilters(kLogFilter), (Filters{"LOG Files (*.log)", "All Files (*)"}));
  EXPECT_EQ(DialogNameFilters(kExeFilter), (Filters{"EXE Files (*.exe)", "All Files (*)"}));
}

TEST(FileFilters, SeveralPatternsAndBrokenEntries) {
  EXPECT_EQ(DialogNameFilters("Layouts|*.gds;*.gds2|"), (Filters{"Layouts (*.gds *.gds2)"}));
  EXPECT_EQ(DialogNameFilters("Cut off|*.gds"), Filters{});
  EXPECT_EQ(DialogNameFilters(""), Filters{});
}

}  // namespace
}  // namespace korvex
