#include <gtest/gtest.h>

#include "core/options/inex_model.h"

namespace korvex {
namespace {

constexpr MappingKind kLayers = MappingKind::kLayers;
constexpr MappingKind kTypes = MappingKind::kDatatypes;

TEST(InexModel, OpeningSelectsWholeEntriesOfTheStoredList) {
  JobSettings settings;
  settings.LayerList = "1, 2,10,11";
  settings.LayerExclude = 1;
  InexModel page(settings);
  page.Open({"1", "2", "10", "11", "100"}, {"0"});
  EXPECT_EQ(page.Choice(kLayers).selected, (std::vector<bool>{true, false, true, true, false}));
  EXPECT_EQ(page.Caption(kLayers), "Layers to Exclude");
  EXPECT_EQ(page.Caption(kTypes), "Data Types to Include");
  EXPECT_EQ(page.Choice(kLayers).field, "1, 2,10,11");  // kept as typed
}

TEST(InexModel, SelectionRebuildsOnlyItsOwnField) {
  JobSettings settings;
  settings.DatatypeList = "7";
  InexModel page(settings);
  page.Open({"5", "1", "63"}, {"7"});
  page.SetSelection(kLayers, {true, false, true});
  EXPECT_EQ(page.Choice(kLayers).field, "5,63");  // list order, not number order
  EXPECT_EQ(page.Choice(kTypes).field, "7");
  page.SetSelection(kLayers, {false, false, false});
  EXPECT_EQ(page.Choice(kLayers).field, "");
  page.SetExclude(kTypes, 1);
  EXPECT_EQ(page.Caption(kTypes), "Data Types to Exclude");
  page.Confirm(settings);
  EXPECT_EQ(settings.LayerList, "");
  EXPECT_EQ(settings.LayerExclude, 0);
  EXPECT_EQ(settings.DatatypeExclude, 1);
}

TEST(InexModel, MergeModeDisablesTheControlsUntilItIsOff) {
  InexModel page{JobSettings()};
  page.Open({}, {});
  page.Show(kMergeModeBlend);
  EXPECT_FALSE(page.ControlsEnabled());
  EXPECT_EQ(page.Notice(), "GDS Merger/Adder/Blender is on, include/exclude is disabled.");
  page.Show(kMergeModePlain);
  EXPECT_TRUE(page.ControlsEnabled());
  EXPECT_EQ(page.Notice(), "");
}

}  // namespace
}  // namespace korvex
