#include <gtest/gtest.h>

#include "core/options/polygon_filter_model.h"

namespace korvex {
namespace {

TEST(PolygonFilterModel, ClearedFieldsStoreTheirDefaults) {
  JobSettings settings;
  settings.MaxExt = 40;
  settings.MaxVertex = 100;
  PolygonFilterModel model(settings);
  EXPECT_EQ(model.Field(PolygonField::kMaxExt), "40");
  model.SetField(PolygonField::kMaxVertex, "");
  model.SetField(PolygonField::kMaxExt, "");
  ASSERT_TRUE(model.Ok(settings).accepted);
  EXPECT_EQ(settings.MaxVertex, 250000);
  EXPECT_EQ(settings.MaxExt, 0);
  EXPECT_EQ(model.Field(PolygonField::kMaxVertex), "250000");
}

TEST(PolygonFilterModel, ExtentOrderIsCheckedOnlyWhileFilteringIsOn) {
  JobSettings settings;
  PolygonFilterModel model(settings);
  model.SetField(PolygonField::kMinExt, "9");
  model.SetField(PolygonField::kMaxExt, "3");
  ASSERT_TRUE(model.Ok(settings).accepted);  // unticked: not compared, still written
  EXPECT_EQ(settings.MinExt, 9);
  EXPECT_EQ(settings.PFOn, 0);

  model.pfOn = true;
  const Outcome<PolygonField> ok = model.Ok(settings);
  EXPECT_FALSE(ok.accepted);
  EXPECT_EQ(ok.message, "Min. extent should be smaller than max. extent.");
  EXPECT_EQ(settings.PFOn, 0);

  model.SetField(PolygonField::kMaxExt, "9");  // equal values pass
  EXPECT_TRUE(model.Ok(settings).accepted);
}

TEST(PolygonFilterModel, TickingSwitchesOnExplodeAndPruneButUntickingKeepsThem) {
  JobSettings settings;
  settings.Prune = 0;
  PolygonFilterModel model(settings);
  EXPECT_FALSE(model.LimitsEnabled());
  EXPECT_TRUE(model.ClickPolygonFiltering(true).accepted);
  EXPECT_TRUE(model.LimitsEnabled());
  ASSERT_TRUE(model.Ok(settings).accepted);
  EXPECT_EQ(settings.PFOn, 1);
  EXPECT_EQ(settings.Explode, 1);
  EXPECT_EQ(settings.Prune, 1);

  PolygonFilterModel again(settings);
  EXPECT_TRUE(again.ClickPolygonFiltering(false).accepted);
  ASSERT_TRUE(again.Ok(settings).accepted);
  EXPECT_EQ(settings.PFOn, 0);
  EXPECT_EQ(settings.Explode, 1);
  EXPECT_EQ(settings.Prune, 1);
}

TEST(PolygonFilterModel, VertexLimitAndRangeMessages) {
  JobSettings settings;
  PolygonFilterModel model(settings);
  model.SetField(PolygonField::kMaxVertex, "250000");
  EXPECT_TRUE(model.Ok(settings).accepted);
  model.SetField(PolygonField::kMaxVertex, "250001");
  const Outcome<PolygonField> refused = model.Ok(settings);
  EXPECT_FALSE(refused.accepted);
  EXPECT_EQ(refused.message, "Please enter an integer between 0 and 250000.");
  EXPECT_EQ(refused.focus, PolygonField::kMaxVertex);
  EXPECT_EQ(settings.MaxVertex, 250000);
}

TEST(PolygonFilterModel, FieldsAreCheckedInDialogOrder) {
  JobSettings settings;
  settings.MinExt = 1;
  PolygonFilterModel model(settings);
  model.SetField(PolygonField::kMinExt, "abc");
  model.SetField(PolygonField::kWHRatio, "-1");
  model.SetField(PolygonField::kMaxExt, "2e7");
  Outcome<PolygonField> refused = model.Ok(settings);
  EXPECT_EQ(refused.focus, PolygonField::kMaxExt);
  EXPECT_EQ(refused.message, "Please enter a number between 0 and 10000000.");
  model.SetField(PolygonField::kMaxExt, "1e7");
  EXPECT_EQ(model.Ok(settings).focus, PolygonField::kMinExt);
  model.SetField(PolygonField::kMinExt, " 2.5 ");
  EXPECT_EQ(model.Ok(settings).focus, PolygonField::kWHRatio);
  EXPECT_EQ(settings.MinExt, 1);  // nothing written while a field is bad
  model.SetField(PolygonField::kWHRatio, "0");
  model.SetField(PolygonField::kPolyOff, "-7");
  ASSERT_TRUE(model.Ok(settings).accepted);
  EXPECT_EQ(settings.MinExt, 2.5);
  EXPECT_EQ(settings.MaxExt, 1e7);
  EXPECT_EQ(settings.PolyOff, -7);
}

TEST(PolygonFilterModel, BadFieldLeavesEnablingAsItWas) {
  JobSettings settings;
  PolygonFilterModel model(settings);
  model.SetField(PolygonField::kAreaRatio, "x");
  const Outcome<PolygonField> click = model.ClickPolygonFiltering(true);
  EXPECT_FALSE(click.accepted);
  EXPECT_EQ(click.focus, PolygonField::kAreaRatio);
  EXPECT_FALSE(model.LimitsEnabled());
}

}  // namespace
}  // namespace korvex
