#include "core/job/run_log.h"

#include <cerrno>
#include <filesystem>

#include "companion_fixture.h"

namespace korvex {
namespace {

std::tm Time(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

TEST(RunRecordTest, TimePaddedDateNotPadded) {
  EXPECT_EQ(FormatRunRecord("/out/chip_out.gds", Time(2024, 3, 7, 9, 5, 2), 73),
            "GDS Output File:\t/out/chip_out.gds\r\nEnd Job Time:\t09:05:02  (3-7-2024)\r\n"
            "Elapsed Time:\t73 second(s)\r\n\r\n");
}

TEST(RunRecordTest, MessagesNameTheCause) {
  EXPECT_EQ(RunLogErrorMessage(ENOENT), "File not found when generating log file.\nExit the program and try again.");
  EXPECT_EQ(RunLogErrorMessage(EACCES), "Access denied when generating log file.\nExit the program and try again.");
  EXPECT_EQ(RunLogErrorMessage(ENOSPC),
            "(" + std::to_string(ENOSPC) + ") Error occurred in operating log file.\nExit the program and try again.");
}

using RunLogTest = test::CompanionTest;

TEST_F(RunLogTest, EngineLogFollowsHeaderByteForByte) {
  std::string engineLog("line one\r\nbinary \0\xff\x01 end\nno line end", 38);
  engineLog += std::string(70000, 'x');  // more than one read
  const std::string log = workDir_ + "/chip.log";
  const std::string copy = workDir_ + "/chip.lg2";
  WriteFile(log, engineLog);
  WriteFile(copy, "left from an earlier run");
  ASSERT_EQ(WriteRunLog(log, copy, "HEADER\r\n"), 0);
  EXPECT_EQ(ReadFile(log), "HEADER\r\n" + engineLog);
  EXPECT_FALSE(std::filesystem::exists(copy));
}

TEST_F(RunLogTest, FailureLeavesTheEngineLogInPlace) {
  const std::string log = workDir_ + "/chip.log";
  const std::string copy = workDir_ + "/chip.lg2";
  WriteFile(log, "engine says");
  MakeDirectory("work/chip.lg2/occupied");  // the copy cannot take this name
  const int error = WriteRunLog(log, copy, "H");
  EXPECT_NE(error, 0);
  EXPECT_EQ(ReadFile(log), "engine says");
}

}  // namespace
}  // namespace korvex
