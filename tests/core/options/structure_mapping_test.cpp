#include <gtest/gtest.h>

#include "core/options/structure_mapping_model.h"
#include "temp_folder.h"

namespace korvex {
namespace {

std::string Numbered(int i) {
  std::string name = "S";
  name += std::to_string(i);
  return name;
}

class StructureMappingTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    settings_.WorkingDirectory = Folder();
    settings_.Prune = 0;
  }
  StructureMappingModel Open(std::vector<std::string> names) { return {settings_, std::move(names)}; }

  JobSettings settings_;
};

TEST_F(StructureMappingTest, RenamingOntoAKeptNameIsRefusedNamingItsHolder) {
  StructureMappingModel model = Open({"A", "B", "C"});
  model.SetRowField(0, "B");
  const Outcome<int> ok = model.Ok();
  EXPECT_FALSE(ok.accepted);
  EXPECT_EQ(ok.message,
            "Structure name 'B' already defined for 'B'.\nSpecify a unique output structure name for each structure.");
  EXPECT_EQ(ok.focus, 0);
  EXPECT_FALSE(Exists("korvex.smp"));
}

TEST_F(StructureMappingTest, SwapOfTwoNamesPassesWhenEachFieldIsLeft) {
  StructureMappingModel model = Open({"A", "B"});
  model.SetRowField(0, "B");
  EXPECT_TRUE(model.LeaveField(0).accepted);  // leaving stores without a check
  model.SetRowField(1, "A");
  EXPECT_TRUE(model.LeaveField(1).accepted);
  ASSERT_TRUE(model.Ok().accepted);
  EXPECT_EQ(Read("korvex.smp"), "A B\r\nB A\r\n");
}

TEST_F(StructureMappingTest, ClearedFieldGetsItsOwnNameBack) {
  StructureMappingModel model = Open({"A", "B"});
  model.SetRowField(1, "");
  EXPECT_TRUE(model.LeaveField(1).accepted);
  EXPECT_EQ(model.RowField(1), "B");
  EXPECT_EQ(model.OutputNames()[1], "B");
}

TEST_F(StructureMappingTest, FourStructuresDisableTheLastSixRows) {
  StructureMappingModel model = Open({"A", "B", "C", "D"});
  EXPECT_EQ(model.MaxTopRow(), 0);
  for (int r = 0; r < StructureMappingModel::kRows; ++r) EXPECT_EQ(model.RowEnabled(r), r < 4) << r;
  EXPECT_EQ(model.RowName(5), "");
  EXPECT_EQ(model.RowField(5), "");
}

TEST_F(StructureMappingTest, ReadsLinesBySplittingAtTheFirstBlank) {
  Write("korvex.smp", "A NEW NAME\r\nnoblank\nZ unknown\r\nb lower\nC c\n");
  StructureMappingModel model = Open({"A", "B", "C"});
  EXPECT_EQ(model.OutputNames(), (std::vector<std::string>{"NEW NAME", "B", "c"}));
  EXPECT_EQ(model.RowField(0), "NEW NAME");
}

TEST_F(StructureMappingTest, WritesByteExactAndKeepsCaseOnlyRenamings) {
  StructureMappingModel model = Open({"A", "B", "C"});
  model.SetRowField(2, "c");
  model.SetRowField(0, "TOP CELL");
  ASSERT_TRUE(model.Ok().accepted);
  EXPECT_EQ(Read("korvex.smp"), "A TOP CELL\r\nC c\r\n");
}

TEST_F(StructureMappingTest, NoRenamingDeletesTheFile) {
  Write("korvex.smp", "A X\r\n");
  StructureMappingModel model = Open({"A", "B"});
  model.SetRowField(0, "A");
  ASSERT_TRUE(model.Ok().accepted);
  EXPECT_FALSE(Exists("korvex.smp"));
}

TEST_F(StructureMappingTest, PruneShowsNoticeAndOkWritesNothing) {
  settings_.Prune = 1;
  StructureMappingModel model = Open({"A"});
  EXPECT_EQ(model.Notice(), "Structure Mapping is disabled when 'Trim Off Empty Trees' is turned on.");
  EXPECT_FALSE(model.OkEnabled());
  model.SetRowField(0, "Z");
  EXPECT_FALSE(model.Ok().accepted);
  EXPECT_FALSE(Exists("korvex.smp"));
}

TEST_F(StructureMappingTest, ClashInVisibleRowStopsScrolling) {
  std::vector<std::string> names;
  for (int i = 0; i < 25; ++i) names.push_back(Numbered(i));
  StructureMappingModel model = Open(names);
  EXPECT_EQ(model.MaxTopRow(), 15);
  model.SetRowField(2, "S20");
  const Outcome<int> step = model.Scroll(ScrollAction::kPageDown);
  EXPECT_FALSE(step.accepted);
  EXPECT_EQ(step.focus, 2);
  EXPECT_EQ(model.TopRow(), 0);
  model.SetRowField(2, "S2new");
  EXPECT_TRUE(model.Scroll(ScrollAction::kPageDown).accepted);
  EXPECT_EQ(model.TopRow(), 10);
  EXPECT_EQ(model.RowName(0), "S10");
  EXPECT_TRUE(model.Scroll(ScrollAction::kThumbPosition, 3).accepted);  // does nothing
  EXPECT_EQ(model.TopRow(), 10);
  EXPECT_TRUE(model.Scroll(ScrollAction::kPageDown).accepted);
  EXPECT_EQ(model.TopRow(), 15);
  EXPECT_EQ(model.OutputNames()[2], "S2new");
}

TEST_F(StructureMappingTest, ClashHiddenInTheFileIsFoundOnOkAndScrolledTo) {
  std::vector<std::string> names;
  for (int i = 0; i < 30; ++i) names.push_back(Numbered(i));
  Write("korvex.smp", "S25 S3\r\n");
  StructureMappingModel model = Open(names);
  const Outcome<int> ok = model.Ok();
  EXPECT_FALSE(ok.accepted);
  EXPECT_NE(ok.message.find("'S3'"), std::string::npos);
  ASSERT_TRUE(ok.focus.has_value());
  EXPECT_TRUE(model.RowEnabled(*ok.focus));
  EXPECT_FALSE(Exists("korvex.smp.new"));
  EXPECT_EQ(Read("korvex.smp"), "S25 S3\r\n");
}

TEST_F(StructureMappingTest, OverLongOutputNameIsRefusedNotCut) {
  StructureMappingModel model = Open({"A"});
  const std::string longName(34, 'x');
  model.SetRowField(0, longName);
  const Outcome<int> leave = model.LeaveField(0);
  EXPECT_FALSE(leave.accepted);
  EXPECT_NE(leave.message.find("at most 33 characters"), std::string::npos);
  EXPECT_FALSE(model.Ok().accepted);
  model.SetRowField(0, std::string(33, 'x'));
  EXPECT_TRUE(model.Ok().accepted);
}

// Scanned names reach 34 characters (the GLTVIA2 cells of the IHP S380 layout); only a
// name the user gives must fit in 33.
TEST_F(StructureMappingTest, ScannedNameLongerThanAnOutputNameMapsToItselfUnchecked) {
  const std::string scanned = "GLTVIA2_NEW_T231_SG13S_Wolansky_EM";
  ASSERT_EQ(scanned.size(), 34u);
  std::vector<std::string> names{scanned};
  for (int i = 0; i < 20; ++i) names.push_back(Numbered(i));
  Write("korvex.smp", "S3 OLD\r\n");
  StructureMappingModel model = Open(names);
  EXPECT_TRUE(model.LeaveField(0).accepted);
  EXPECT_TRUE(model.Scroll(ScrollAction::kLineDown).accepted);
  EXPECT_EQ(model.TopRow(), 1);
  EXPECT_TRUE(model.Scroll(ScrollAction::kLineUp).accepted);
  model.SetRowField(4, "S3");  // the renaming from the file undone
  ASSERT_TRUE(model.Ok().accepted);
  EXPECT_FALSE(Exists("korvex.smp"));  // every row maps to itself: no line, no file

  // A typed name of that length is still refused, on leaving and on OK.
  model.SetRowField(0, scanned + "X");
  EXPECT_FALSE(model.LeaveField(0).accepted);
  model.SetRowField(0, std::string(34, 'Y'));
  EXPECT_FALSE(model.Ok().accepted);
}

TEST_F(StructureMappingTest, UnwritableFolderReportsThePath) {
  settings_.WorkingDirectory = Folder() + "/missing";
  StructureMappingModel model = Open({"A"});
  model.SetRowField(0, "B");
  const Outcome<int> ok = model.Ok();
  EXPECT_FALSE(ok.accepted);
  EXPECT_EQ(ok.message, "Error occurred when saving structure mapping information to\n'" + Folder() +
                            "/missing/korvex.smp'.");
  EXPECT_FALSE(ok.focus.has_value());
}

}  // namespace
}  // namespace korvex
