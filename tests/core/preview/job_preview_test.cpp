#include "core/preview/job_preview.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

bool Holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class JobPreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* layer : {"1", "8", "9"}) scan_.Layers[static_cast<std::size_t>(scan_.LayerCount++)] = layer;
    scan_.Datatypes[static_cast<std::size_t>(scan_.DatatypeCount++)] = "0";
    scan_.TopStructure = "TOP";
    settings_.InputFile = "/d/chip.gds";
    settings_.WorkingDirectory = "/w";
    settings_.LayerList = "9";
    settings_.LayerExclude = 1;
    settings_.LayerMap = "8:108";
    settings_.DatatypeList = "0";
    inputs_.engineRan = true;
    inputs_.outputFile = "/w/chip_out.gds";
    inputs_.engineLog = "korvexe.exe\nPair 1/0 -> 1/0: 4 in, 4 out\nPair 8/0 -> 108/0: 1234 in, 1234 out\n"
                        "Pair 9/0 -> dropped: 56 in\n";
  }
  std::string Text() const { return JobPreviewText(settings_, scan_, inputs_); }

  JobSettings settings_;
  ScanResult scan_;
  PreviewInputs inputs_;
};

TEST_F(JobPreviewTest, SaysTheJobTheScannedNumbersAndThePairCounts) {
  const std::string text = Text();
  EXPECT_TRUE(Holds(text, "  Input: /d/chip.gds\n  Top structure: TOP\n  Output: /w/chip_out.gds\n")) << text;
  EXPECT_TRUE(Holds(text, "  Layers: drop 9\n")) << text;
  EXPECT_TRUE(Holds(text, "Layers found by the scan:\n  1: kept\n  8: kept, renumbered to 108\n  9: dropped\n")) << text;
  EXPECT_TRUE(Holds(text, "  1/0 kept: 4 in, 4 out\n  8/0 renumbered to 108/0: 1234 in, 1234 out\n"
                          "  9/0 dropped: 56 in\n")) << text;
  EXPECT_TRUE(Holds(text, "Warnings:\n  none\n")) << text;
  EXPECT_TRUE(Holds(text, "The engine's log of the dry run (exit code 0):\nkorvexe.exe\n")) << text;
}

TEST_F(JobPreviewTest, ShowsTheJobAsTheEngineGetsIt) {
  settings_.PFOn = 1;
  settings_.Prune = 0;
  inputs_.structureMap = {"A B"};
  inputs_.warnings = {"first reason"};
  const std::string text = Text();
  EXPECT_TRUE(Holds(text, "  Explode: on\n")) << "polygon filtering turns it on";
  EXPECT_TRUE(Holds(text, "  Trim Off Empty Trees: on\n"));
  EXPECT_TRUE(Holds(text, "Structures renamed by the dry run:\n  none\n"));
  EXPECT_TRUE(Holds(text, "Warnings:\n  Warning: first reason\n"));
  EXPECT_EQ(settings_.Explode, 0) << "the settings themselves stay as they were";

  inputs_.engineLog += "Renamed: A -> B\nRenamed: x%20y -> X_Y\n";
  EXPECT_TRUE(Holds(Text(), "Structures renamed by the dry run:\n  A -> B\n  x%20y -> X_Y\n"));
  inputs_.engineRan = false;
  inputs_.engineLog.clear();
  EXPECT_TRUE(Holds(Text(), "Structures the map renames:\n  none\n")) << "trimmed runs rename nothing";
  settings_.PFOn = 0;
  EXPECT_TRUE(Holds(Text(), "Structures the map renames:\n  A -> B\n"));
}

TEST_F(JobPreviewTest, MergeModeKeepsEveryNumberAndAFailedDryRunSaysSo) {
  settings_.MergeMode = kMergeModeAdd;
  settings_.MergeFileList = "\"/x/one.gds\"";
  inputs_.engineRan = false;
  inputs_.engineLog.clear();
  const std::string text = Text();
  EXPECT_TRUE(Holds(text, "  Mode: add (later definitions renamed)\n  With: /x/one.gds\n")) << text;
  EXPECT_TRUE(Holds(text, "  8: kept\n  9: kept\n")) << text;
  EXPECT_FALSE(Holds(text, "Layer map"));
  EXPECT_TRUE(Holds(text, "  none: the dry run did not finish\n"));
  EXPECT_TRUE(Holds(text, "The engine's log of the dry run:\n  none written\n")) << text;
}

}  // namespace
}  // namespace korvex
