#include "core/preview/job_warnings.h"

#include <gtest/gtest.h>

#include "core/preview/number_fates.h"

namespace korvex {
namespace {

// A scan of layers 1, 8, 9 and datatypes 0, 1, and the job as a fresh scan leaves it.
class JobWarningsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* layer : {"1", "8", "9"}) scan_.Layers[static_cast<std::size_t>(scan_.LayerCount++)] = layer;
    for (const char* type : {"0", "1"}) scan_.Datatypes[static_cast<std::size_t>(scan_.DatatypeCount++)] = type;
    settings_.InputFile = "/d/kl_t9.gds";
    settings_.RulesInputFile = settings_.InputFile;
    settings_.LayerList = "1,8,9";
    settings_.DatatypeList = "0,1";
  }
  std::vector<std::string> Warnings(const std::vector<std::string>& structureMap = {}) const {
    return JobWarnings(settings_, scan_, structureMap);
  }
  // The one warning there is, or the list when there is not exactly one.
  std::string Only(const std::vector<std::string>& structureMap = {}) const {
    const std::vector<std::string> w = Warnings(structureMap);
    if (w.size() == 1) return w[0];
    std::string all = std::to_string(w.size()) + " warnings:";
    for (const std::string& text : w) all += "\n" + text;
    return all;
  }

  JobSettings settings_;
  ScanResult scan_;
};

TEST_F(JobWarningsTest, AFreshJobWarnsOfNothing) { EXPECT_TRUE(Warnings().empty()); }

TEST_F(JobWarningsTest, RenameMapUnderTrimIsNamedWithItsReason) {
  EXPECT_EQ(Only({"A B"}),
            "The structure rename map korvex.smp is not passed: Trim Off Empty Trees is on, so no structure is renamed.");
  settings_.Prune = 0;
  EXPECT_TRUE(Warnings({"A B"}).empty());
  settings_.FixNames = 1;
  settings_.Prune = 1;
  EXPECT_EQ(Warnings().size(), 1u) << "name fixing is dropped for Trim as well";
}

TEST_F(JobWarningsTest, PolygonFilteringTurnsExplodeOnAndDropsTheRenameMap) {
  settings_.Prune = 0;
  settings_.PFOn = 1;
  const std::vector<std::string> w = Warnings({"A B"});
  ASSERT_EQ(w.size(), 2u);
  EXPECT_NE(w[0].find("polygon filtering turns Trim Off Empty Trees on"), std::string::npos) << w[0];
  EXPECT_EQ(w[1].rfind("Polygon filtering turns Explode and Trim Off Empty Trees on", 0), 0u) << w[1];
  settings_.Explode = settings_.Prune = 1;  // as a first run leaves them
  EXPECT_EQ(Warnings().size(), 0u);
}

TEST_F(JobWarningsTest, NumbersThisFileLacksAreListed) {
  settings_.LayerList = "1,2-5,8";
  settings_.LayerMap = "1:101,10-20:7,8-9:108-109";
  settings_.DatatypeExclude = 1;
  settings_.DatatypeList = "3";
  settings_.DatatypeMap = "0-1:5";
  const std::vector<std::string> w = Warnings();
  ASSERT_EQ(w.size(), 3u);
  EXPECT_EQ(w[0], "The layer include list names layers this file lacks (2-5): it changes nothing there.");
  EXPECT_EQ(w[1], "The datatype exclude list names datatypes this file lacks (3): it changes nothing there.");
  EXPECT_EQ(w[2], "The layer map names layers this file lacks (10-20:7): it changes nothing there.");
}

TEST_F(JobWarningsTest, MapsMadeForAnotherInputAreNamed) {
  settings_.LayerMap = "1:10,8:208";
  settings_.RulesInputFile = "/d/other.gds";
  EXPECT_EQ(Only(), "The layer map was made for /d/other.gds, not for this input, and is applied to it as it stands.");
  settings_.Prune = 0;
  settings_.RulesInputFile.clear();
  const std::vector<std::string> w = Warnings({"A B"});
  ASSERT_EQ(w.size(), 1u);
  EXPECT_NE(w[0].find("layer map, structure rename map were made for an earlier input"), std::string::npos) << w[0];
  settings_.RulesInputFile = settings_.InputFile;
  EXPECT_TRUE(Warnings({"A B"}).empty());
}

TEST_F(JobWarningsTest, MergeModesNameTheFiltersTheyIgnore) {
  settings_.MergeMode = kMergeModeMerge;
  EXPECT_TRUE(Warnings().empty()) << "keeping everything is no filter";
  settings_.LayerExclude = 1;
  settings_.LayerList = "9";
  settings_.DatatypeMap = "0:3";
  settings_.PFOn = 1;
  EXPECT_EQ(Only({"A B"}),
            "Merge mode applies no filters; ignored: layer list, datatype map, structure rename map, polygon filtering.");
  settings_.MergeMode = kMergeModeBlend;
  settings_.Combine = 1;
  const std::vector<std::string> w = Warnings();
  ASSERT_EQ(w.size(), 2u);
  EXPECT_EQ(w[1], "Blend mode puts nothing under a new top structure: Combine (TOP) is ignored.");
}

TEST(NumberFatesTest, ListsWithRangesAndLaterRulesWin) {
  const std::vector<NumberFate> fates = ResolveNumbers({1, 8, 9, 20}, "1-8,20", false, "1-9:100-108,9:5,20:1");
  ASSERT_EQ(fates.size(), 4u);
  EXPECT_TRUE(fates[0].kept);
  EXPECT_EQ(fates[0].output, 100);
  EXPECT_TRUE(fates[1].kept);
  EXPECT_EQ(fates[1].output, 107);
  EXPECT_FALSE(fates[2].kept);
  EXPECT_EQ(fates[2].output, 5);
  EXPECT_EQ(fates[3].output, 1);
  const std::vector<NumberFate> excluded = ResolveNumbers({1, 8}, "8", true, "");
  EXPECT_TRUE(excluded[0].kept);
  EXPECT_FALSE(excluded[1].kept);
}

}  // namespace
}  // namespace korvex
