#include "core/job/output_proposal.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

TEST(OutputProposalTest, WindowsStyleFollowsWorkingDirectoryThenLastOutput) {
  const PathStyle& win = kWindowsPathStyle;
  EXPECT_EQ(ProposeOutputFile("C:\\in\\chip.gds", "", "C:\\work", win), "C:\\work\\chip_out.gds");
  EXPECT_EQ(ProposeOutputFile("C:\\in\\wafer.gds", "D:\\out\\result.str", "C:\\work", win),
            "D:\\out\\wafer_out.str");
  EXPECT_EQ(ProposeOutputFile("C:\\in\\CHIP.GDS", "D:\\out\\RESULT.STR", "C:\\work", win), "D:\\out\\CHIP_out.STR");
  EXPECT_EQ(ProposeOutputFile("C:\\in\\chip.gds", "D:\\result", "C:\\work", win), "D:\\chip_out");
  EXPECT_EQ(ProposeOutputFile("C:\\chip.gds", "", "C:\\", win), "C:\\chip_out.gds");
}

TEST(OutputProposalTest, NativeStyleFollowsWorkingDirectoryThenLastOutput) {
  EXPECT_EQ(ProposeOutputFile("/in/chip.gds", "", "/work"), "/work/chip_out.gds");
  EXPECT_EQ(ProposeOutputFile("/in/wafer.gds", "/out/result.str", "/work"), "/out/wafer_out.str");
  EXPECT_EQ(ProposeOutputFile("/in/chip.gds", "/result.gds", "/work"), "/chip_out.gds");
  EXPECT_EQ(ProposeOutputFile("", "", "/work"), "/work/_out.gds");
}

TEST(OutputProposalTest, DottedStemNeverProposesTheInputItself) {
  EXPECT_EQ(ProposeOutputFile("/w/chip.v2.gds", "", "/w"), "/w/chip.v2_out.gds");
  EXPECT_EQ(ProposeOutputFile("/w/chip.v2.gds", "/o/x.gds", "/w"), "/o/chip.v2_out.gds");
}

TEST(OutputProposalTest, ChosenNameWithoutExtensionGetsGds) {
  EXPECT_EQ(CompleteOutputName("/out/result"), "/out/result.gds");
  EXPECT_EQ(CompleteOutputName("/out/result.str"), "/out/result.str");
  EXPECT_EQ(CompleteOutputName("/out.d/result"), "/out.d/result.gds");
  EXPECT_EQ(CompleteOutputName("C:\\OUT\\RESULT", kWindowsPathStyle), "C:\\OUT\\RESULT.GDS");
}

}  // namespace
}  // namespace korvex
