#include <gtest/gtest.h>

#include "core/options/mapping_model.h"
#include "core/options/mapping_rules_model.h"

namespace korvex {
namespace {

// Layers 0..count-1, all scanned and included.
struct Layers {
  explicit Layers(int count, std::string map = {}) {
    for (int n = 0; n < count; ++n) {
      scanned.push_back(std::to_string(n));
      if (n > 0) settings.LayerList += ',';
      settings.LayerList += std::to_string(n);
    }
    settings.LayerMap = std::move(map);
  }
  JobSettings settings;
  std::vector<std::string> scanned;
};

TEST(MappingModel, WithoutRowsShowsEmptySlotsAndStoresEmptyText) {
  JobSettings settings;
  settings.LayerMap = "1:2";  // rules for layers without a row are dropped on OK
  MappingModel model(MappingKind::kLayers, settings, {"1", "2"});
  EXPECT_STREQ(model.ColumnLabel(), "Layer");
  EXPECT_EQ(model.MaxTopRow(), 0);
  for (int s = 0; s < MappingModel::kSlots; ++s) {
    EXPECT_FALSE(model.SlotHasRow(s));
    EXPECT_EQ(model.SlotLabel(s), "");
  }
  model.SetSlotField(0, "77");  // typed into a slot without a row: ignored
  ASSERT_TRUE(model.Ok(settings).accepted);
  EXPECT_EQ(settings.LayerMap, "");
}

TEST(MappingModel, ScrollRangeFollowsRowCount) {
  Layers sixteen(16);
  EXPECT_EQ(MappingModel(MappingKind::kLayers, sixteen.settings, sixteen.scanned).MaxTopRow(), 0);
  Layers forty(40);
  MappingModel model(MappingKind::kLayers, forty.settings, forty.scanned);
  EXPECT_EQ(model.MaxTopRow(), 24);
  model.Scroll(ScrollAction::kLineUp);
  EXPECT_EQ(model.TopRow(), 0);
  model.Scroll(ScrollAction::kPageDown);
  EXPECT_EQ(model.TopRow(), 16);
  EXPECT_EQ(model.SlotLabel(0), "16");
  model.Scroll(ScrollAction::kPageDown);
  EXPECT_EQ(model.TopRow(), 24);
  model.Scroll(ScrollAction::kLineDown);
  EXPECT_EQ(model.TopRow(), 24);
  EXPECT_EQ(model.SlotLabel(15), "39");
  model.Scroll(ScrollAction::kThumbTrack, 5);
  EXPECT_EQ(model.TopRow(), 5);
  model.Scroll(ScrollAction::kPageUp);
  EXPECT_EQ(model.TopRow(), 0);
}

TEST(MappingModel, TypedValueSurvivesScrollingOutOfView) {
  Layers layers(40);
  MappingModel model(MappingKind::kLayers, layers.settings, layers.scanned);
  model.SetSlotField(3, "99");
  model.Scroll(ScrollAction::kPageDown);
  EXPECT_EQ(model.Table().rows[3].Output, 99);
  model.Scroll(ScrollAction::kPageUp);
  EXPECT_EQ(model.SlotField(3), "99");
  ASSERT_TRUE(model.Ok(layers.settings).accepted);
  EXPECT_EQ(layers.settings.LayerMap, "3:99");
}

TEST(MappingModel, RowFieldsTakeOnlyWholeNumbersFrom0To65535) {
  Layers layers(40);
  MappingModel model(MappingKind::kLayers, layers.settings, layers.scanned);
  for (const char* refused : {"70000", "65536", "-1", "12abc", "", "2000000000000"}) {
    model.SetSlotField(4, refused);
    const Outcome<int> left = model.LeaveSlot(4);
    EXPECT_FALSE(left.accepted) << refused;
    EXPECT_EQ(left.message, "Please enter an integer between 0 and 65535.");
    EXPECT_EQ(left.focus, 4);
    EXPECT_EQ(model.Table().rows[4].Output, 4) << refused;  // the row keeps its number
  }
  // Scrolling, the rules and OK meet the same refusal; the view stays.
  EXPECT_FALSE(model.Scroll(ScrollAction::kPageDown).accepted);
  EXPECT_EQ(model.TopRow(), 0);
  EXPECT_FALSE(model.BeginAdvanceRules().accepted);
  EXPECT_FALSE(model.Ok(layers.settings).accepted);
  EXPECT_EQ(layers.settings.LayerMap, "");

  model.SetSlotField(4, " 65535 ");
  EXPECT_TRUE(model.LeaveSlot(4).accepted);
  EXPECT_EQ(model.Table().rows[4].Output, 65535);
  model.SetSlotField(5, "2000");
  ASSERT_TRUE(model.Ok(layers.settings).accepted);
  EXPECT_EQ(layers.settings.LayerMap, "4:65535,5:2000");
}

TEST(MappingModel, MapAllToTakesZeroTo65535AndRefusesTheRest) {
  Layers layers(3);
  MappingModel model(MappingKind::kLayers, layers.settings, layers.scanned);
  model.mapAllToField = "";
  EXPECT_TRUE(model.MapAllTo().accepted);  // an empty field does nothing
  EXPECT_EQ(model.SlotField(2), "2");
  for (const char* refused : {"65536", "-3", "x"}) {
    model.mapAllToField = refused;
    EXPECT_FALSE(model.LeaveMapAllTo().accepted) << refused;
    const Outcome<int> mapped = model.MapAllTo();
    EXPECT_EQ(mapped.message, "Please enter an integer between 0 and 65535.") << refused;
    EXPECT_FALSE(mapped.focus.has_value());
    EXPECT_EQ(model.SlotField(2), "2") << refused;
  }
  model.mapAllToField = "65535";
  EXPECT_TRUE(model.MapAllTo().accepted);
  EXPECT_EQ(model.SlotField(0), "65535");
  EXPECT_EQ(model.SlotField(2), "65535");
  model.MapAllToItself();
  EXPECT_EQ(model.SlotField(2), "2");
}

TEST(MappingModel, ConfirmedRulesApplyOverTypedValues) {
  Layers layers(5, "1-3:10-12");
  MappingModel model(MappingKind::kLayers, layers.settings, layers.scanned);
  EXPECT_EQ(model.SlotField(1), "10");
  model.SetSlotField(1, "50");
  model.SetSlotField(4, "40");
  ASSERT_TRUE(model.BeginAdvanceRules().accepted);
  MappingRulesModel rules(model.RuleList());
  EXPECT_EQ(rules.Entries(), (std::vector<std::string>{"1-3:10-12"}));
  model.EndAdvanceRules(rules.Ok());
  EXPECT_EQ(model.SlotField(1), "10");  // the stored rule wins over the typed 50
  EXPECT_EQ(model.SlotField(4), "40");  // no rule names layer 4
}

TEST(MappingModel, CancelledRulesChangeNothing) {
  Layers layers(3, "1:5");
  MappingModel model(MappingKind::kLayers, layers.settings, layers.scanned);
  model.SetSlotField(1, "7");
  model.BeginAdvanceRules();
  model.EndAdvanceRules(std::nullopt);
  EXPECT_EQ(model.SlotField(1), "7");
  EXPECT_EQ(model.Table().ruleList, "1:5");
}

TEST(MappingModel, EmptiedRuleListKeepsRowOutputs) {
  Layers layers(3, "1:5");
  MappingModel model(MappingKind::kLayers, layers.settings, layers.scanned);
  ASSERT_TRUE(model.BeginAdvanceRules().accepted);
  MappingRulesModel rules(model.RuleList());
  rules.Select(0);
  rules.Remove();
  EXPECT_TRUE(rules.Entries().empty());
  EXPECT_FALSE(rules.Selection().has_value());
  model.EndAdvanceRules(rules.Ok());
  EXPECT_EQ(model.Table().ruleList, "");
  EXPECT_EQ(model.SlotField(1), "5");
}

TEST(MappingModel, StoredShiftBeyond65535IsRefusedNamingItsRowAndBroughtIntoView) {
  Layers layers(40);
  layers.settings.LayerMap = "0:1";
  layers.settings.DatatypeList = layers.settings.LayerList;
  layers.settings.DatatypeMap = "30-39:65530-65539";  // types 36 to 39 would go past the end
  MappingModel model(MappingKind::kDatatypes, layers.settings, layers.scanned);
  EXPECT_STREQ(model.ColumnLabel(), "Type");
  const Outcome<int> ok = model.Ok(layers.settings);
  EXPECT_FALSE(ok.accepted);
  EXPECT_EQ(ok.message, "Type 36 has the output 65536.\nOutput numbers run from 0 to 65535.");
  EXPECT_EQ(model.TopRow(), 24);
  EXPECT_EQ(ok.focus, 12);
  EXPECT_EQ(layers.settings.DatatypeMap, "30-39:65530-65539");  // nothing stored
  model.mapAllToField = "7";
  ASSERT_TRUE(model.MapAllTo().accepted);
  ASSERT_TRUE(model.Ok(layers.settings).accepted);
  EXPECT_EQ(layers.settings.DatatypeMap, "0-39:7");
  EXPECT_EQ(layers.settings.LayerMap, "0:1");
}

TEST(MappingRulesModel, AddAppendsOnceAndReportsRefusals) {
  MappingRulesModel rules("5:9");
  rules.fields = {"1", "3", "10", ""};
  EXPECT_TRUE(rules.Add().accepted);
  EXPECT_TRUE(rules.Add().accepted);  // the same rule again is not listed twice
  rules.fields = {"2", "", "2", ""};
  EXPECT_TRUE(rules.Add().accepted);  // changes nothing: silently not added
  EXPECT_EQ(rules.Entries(), (std::vector<std::string>{"5:9", "1-3:10"}));

  rules.fields = {"6", "3", "1", ""};
  const Outcome<RuleField> refused = rules.Add();
  EXPECT_FALSE(refused.accepted);
  EXPECT_EQ(refused.message, "Ranges should be in increasing order.");
  EXPECT_EQ(refused.focus, RuleField::kB);
  EXPECT_EQ(rules.fields.b, "3");  // fields keep what was typed
  EXPECT_EQ(rules.Ok(), "5:9,1-3:10");
}

TEST(MappingRulesModel, RemoveSelectsThePreviousEntryOrTheFirst) {
  MappingRulesModel rules("1:2,3:4,5:6");
  rules.Remove();  // no selection: nothing happens
  EXPECT_EQ(rules.Entries().size(), 3u);
  rules.Select(2);
  rules.Remove();
  EXPECT_EQ(rules.Selection(), 1u);
  rules.Select(0);
  rules.Remove();
  EXPECT_EQ(rules.Selection(), 0u);
  EXPECT_EQ(rules.Ok(), "3:4");
}

}  // namespace
}  // namespace korvex
