#include "core/job/engine_arguments.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

constexpr const char* kLimits = " -min:0.000000 -tmag:1000000.000000";

class EngineArgumentsTest : public ::testing::Test {
 protected:
  EngineArgumentsTest() {
    settings.InputFile = "/in/chip.gds";
    settings.OutputFile = "/out/chip_out.gds";
    settings.WorkingDirectory = "/work";
  }
  std::string Build(bool structureMapExists = false) {
    return BuildEngineArguments(settings, "TOP", structureMapExists).text;
  }
  JobSettings settings;
};

TEST_F(EngineArgumentsTest, DefaultJobPrunesAndIncludesEmptyLists) {
  EXPECT_EQ(Build(), std::string("\"/in/chip.gds\" \"/out/chip_out.gds\" \"TOP\" -i -I -prune") + kLimits);
}

TEST_F(EngineArgumentsTest, EveryPlainOptionInOrder) {
  settings.LayerExclude = 1;
  settings.LayerList = "1,2,10";
  settings.DatatypeList = "0";
  settings.DatatypeExclude = 1;
  settings.Prune = 0;
  settings.FixNames = 1;
  settings.Unfold = 1;
  settings.LayerMap = "1-5:+100";
  settings.DatatypeMap = "0:7";
  settings.Explode = 1;
  settings.MinWidth = 0.25;
  settings.MaxText = 12.5;
  EXPECT_EQ(Build(true),
            "\"/in/chip.gds\" \"/out/chip_out.gds\" \"TOP\" -x1,2,10 -X0 -names -unfold -lyr1-5:+100 -dtp0:7"
            " -rename \"/work/korvex.smp\" -explode -min:0.250000 -tmag:12.500000");
}

TEST_F(EngineArgumentsTest, PruneThenCaseThenNamesAtMostOne) {
  settings.SpecifyCase = 1;
  settings.FixNames = 1;
  EXPECT_NE(Build().find(" -prune -min:"), std::string::npos);
  settings.Prune = 0;
  EXPECT_EQ(Build(), std::string("\"/in/chip.gds\" \"/out/chip_out.gds\" \"TOP\" -i -I -lc") + kLimits);
  settings.LowerCase = 0;
  EXPECT_EQ(Build(), std::string("\"/in/chip.gds\" \"/out/chip_out.gds\" \"TOP\" -i -I -uc") + kLimits);
}

TEST_F(EngineArgumentsTest, PolygonFilteringForcesExplodeAndPruneAndDropsRename) {
  settings.Prune = 0;
  settings.PFOn = 1;
  settings.MinExt = 0.5;
  settings.MaxExt = 100;
  settings.HWRatio = 3;
  settings.WHRatio = 4;
  settings.AreaRatio = 1.5;
  settings.MaxVertex = 8000;
  settings.PolyOff = 7;
  settings.VertCnt = 9;
  const EngineArguments arguments = BuildEngineArguments(settings, "TOP", true);
  EXPECT_EQ(arguments.text,
            std::string("\"/in/chip.gds\" \"/out/chip_out.gds\" \"TOP\" -i -I -prune -explode -minext:0.500000"
                        " -maxext:100.000000 -h2w:3.000000 -w2h:4.000000 -aratio:1.500000 -maxvert:8000") +
                kLimits);
  EXPECT_EQ(settings.Prune, 1);
  EXPECT_EQ(settings.Explode, 1);
  EXPECT_EQ(arguments.quotedNames, (std::vector<std::string>{"/in/chip.gds", "/out/chip_out.gds", "TOP"}));

  settings.DebugMode = 1;
  EXPECT_NE(Build().find(" -maxvert:8000 -polyoff:7 -vertcnt:9 -min:"), std::string::npos);
}

TEST_F(EngineArgumentsTest, MergeModesCarryOnlyTheirOwnOptions) {
  settings.Combine = 1;
  settings.MergeFileList = "\"/a/one.gds\" \"/b/t w o.gds\" \"/c/three.gds\"";
  settings.LayerExclude = 1;
  settings.LayerList = "5";
  settings.LayerMap = "1:2";
  settings.FixNames = 1;
  const std::string head = "\"/in/chip.gds\" \"/out/chip_out.gds\" \"TOP\"";

  settings.MergeMode = kMergeModeMerge;
  EXPECT_EQ(Build(true), head + " -merge -combine TOP =  =  = " + kLimits);
  settings.MergeMode = kMergeModeAdd;
  settings.NewTopStr = "ALL";
  EXPECT_EQ(Build(), head + " -add -combine ALL =  =  = " + kLimits);
  settings.MergeMode = kMergeModeBlend;
  EXPECT_EQ(Build(), head + " -blend" + kLimits);
  settings.MergeMode = kMergeModeMerge;
  settings.Combine = 0;
  EXPECT_EQ(Build(), head + " -merge" + kLimits);
}

TEST_F(EngineArgumentsTest, EveryMergedFileIsCountedWithoutLimit) {
  settings.MergeMode = kMergeModeMerge;
  settings.Combine = 1;
  for (int i = 0; i < 70; ++i) settings.MergeFileList += (i ? " \"/f" : "\"/f") + std::to_string(i) + ".gds\"";
  const std::string text = Build();
  std::size_t equals = 0;
  for (std::size_t at = text.find(" = "); at != std::string::npos; at = text.find(" = ", at + 1)) ++equals;
  EXPECT_EQ(equals, 70u);
}

}  // namespace
}  // namespace korvex
