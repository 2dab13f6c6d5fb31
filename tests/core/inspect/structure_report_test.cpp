#include "core/inspect/structure_report.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "report_fixture.h"

namespace korvex {
namespace {

using testing::Lines;

class StructureReportTest : public testing::ReportTest {
 protected:
  void SetUp() override {
    ReportTest::SetUp();
    m_reportPath = (m_dir / "gdsstrct.rpt").string();
    // TOP references B; A stands alone, so it is not in the report of TOP's tree.
    for (const char* name : {"TOP", "A", "B"}) AppendStructure(scan, name);
    scan.Resolution = 1000;
    scan.UserUnits = " UM";
    scan.ScannedFile = "/data/chip.gds";
    scan.Extents[0] = {-1500, 0, 10000, 2500};
    scan.Extents[2] = {1, 2, 3, 4};
    scan.ElementCounts[0] = {1, 2, 3, 4, 5};
    scan.ElementCounts[2] = {6, 7, 8, 9, 10};
    MarkStructure(scan, "TOP");
    MarkStructure(scan, "B");
    m_now.tm_year = 124;
    m_now.tm_mon = 2;
    m_now.tm_mday = 9;
    m_now.tm_hour = 13;
    m_now.tm_min = 5;
    m_now.tm_sec = 7;
  }

  std::string ReadReport() {
    std::ifstream in(m_reportPath, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // The report of TOP from the given template text.
  std::string Report(const std::string& templateText) {
    EXPECT_EQ(WriteStructureReport(scan, "TOP", Write(templateText, "gdsstrct.s_s"), m_reportPath, m_now), 0);
    return ReadReport();
  }

  std::string m_reportPath;
  std::tm m_now{};
};

std::string CrLf(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

TEST_F(StructureReportTest, EveryDirectiveSuppliesItsValues) {
  const std::string report = Report(Lines({
      "#0:plain %s", "#1:%02d/%02d/%04d %d:%02d:%02d %s", "#2:file %s", "#3:Top structure: %s", "#4:tree %d",
      "#5:res %s", "#6:units%s", "#7:min %s %s", "#8:%d %s", "#9:max %s %s", "#10:--", "#11:b %d p %d",
      "#12:%d. %s", "#13:s %d a %d t %d", "#14:", "#15:ignored", "#20:ignored too", "#plain", "done"}));
  EXPECT_EQ(report, CrLf({"plain %s", "03/09/2024 1:05:07 pm", "file /data/chip.gds", "Top structure: TOP",
                          "tree 2", "res 1000", "units UM",
                          "min -1.500 0.000", "1 TOP", "max 10.000 2.500", "--",
                          "min 0.001 0.002", "2 B", "max 0.003 0.004", "--",
                          "b 1 p 2", "1. TOP", "s 4 a 3 t 5", "",
                          "b 6 p 7", "2. B", "s 9 a 8 t 10", "",
                          "#plain", "done"}));
}

TEST_F(StructureReportTest, HoursFollowThe12HourClockWithZeroBeforeOneAm) {
  const std::string format = Lines({"#1:%d/%d/%d %d:%02d:%02d %s"});
  for (const auto& [hour, text] : std::vector<std::pair<int, std::string>>{
           {0, "0:05:07 am"}, {11, "11:05:07 am"}, {12, "12:05:07 pm"}, {13, "1:05:07 pm"}, {23, "11:05:07 pm"}}) {
    m_now.tm_hour = hour;
    EXPECT_EQ(Report(format), "3/9/2024 " + text + "\r\n") << hour;
  }
}

TEST_F(StructureReportTest, TablesUseTheRowFormatsLastSetAndStopAtTheTreeCount) {
  scan.TreeCount = 1;  // as if B's mark had not been counted
  const std::string report = Report(Lines({"#8:a %s", "#10:", "#12:c %d %s", "#10:"}));
  EXPECT_EQ(report, CrLf({"a %s", "", "c 1 TOP", ""}));
}

TEST_F(StructureReportTest, FormatsThatDoNotFitTheirValuesAreWrittenAsTheyStand) {
  const std::string report = Report(Lines({"#3:%d %n", "#4:%s", "#2:%s%s%s%s", "#12:%s %d", "#14:%*d"}));
  EXPECT_EQ(report, CrLf({"%d %n", "%s", "%s%s%s%s", "%s %d", "%*d", "%s %d", "%*d"}));
}

TEST_F(StructureReportTest, ReportThatCannotBeCreatedIsNotWritten) {
  const std::string templatePath = Write("#3:%s\n", "gdsstrct.s_s");
  EXPECT_EQ(WriteStructureReport(scan, "TOP", templatePath, (m_dir / "none" / "r.rpt").string(), m_now), 1);
  EXPECT_EQ(WriteStructureReport(scan, "TOP", "", m_reportPath, m_now), 1);
  EXPECT_FALSE(std::filesystem::exists(m_reportPath));
}

TEST_F(StructureReportTest, ReportThatFailsWhileBeingWrittenIsDeleted) {
  const std::string templatePath = Write(std::string(200, 'x') + "\n" + Lines({"#12:%d %s", "#14:"}),
                                         "gdsstrct.s_s");
  // A file size limit makes the writes fail part way; done in a child so the limit stays there.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{100, RLIM_INFINITY};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::_exit(WriteStructureReport(scan, "TOP", templatePath, m_reportPath, m_now));
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_FALSE(std::filesystem::exists(m_reportPath));
}

TEST_F(StructureReportTest, ShippedTemplateGivesAReadableReport) {
  std::ifstream in(std::string(KORVEX_SOURCE_DIR) + "/resources/gdsstrct.s_s", std::ios::binary);
  std::stringstream shipped;
  shipped << in.rdbuf();
  ASSERT_FALSE(shipped.str().empty());
  const std::string report = Report(shipped.str());
  EXPECT_NE(report.find("Structure             TOP\r\n"), std::string::npos) << report;
  EXPECT_NE(report.find("Written               03/09/2024   1:05:07 pm\r\n"), std::string::npos) << report;
  EXPECT_NE(report.find("User units            UM\r\n"), std::string::npos) << report;
  EXPECT_NE(report.find("min (X , Y)  (-1.500 , 0.000)\r\n"), std::string::npos) << report;
  EXPECT_NE(report.find("      2  B\r\n"), std::string::npos) << report;
  EXPECT_NE(report.find("SRef 9         ARef 8         Text 10\r\n"), std::string::npos) << report;
  EXPECT_EQ(report.find('%'), std::string::npos) << report;
  EXPECT_EQ(report.find(" A\r\n"), std::string::npos) << report;
}

}  // namespace
}  // namespace korvex
