#include "core/support/template_report.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace korvex {
namespace {

class TemplateReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "korvex-template-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    m_dir = pattern;
    m_template = (m_dir / "gdsstrct.s_s").string();
    m_report = (m_dir / "gdsstrct.rpt").string();
  }
  void TearDown() override { std::filesystem::remove_all(m_dir); }

  void WriteTemplate(const std::string& text) { std::ofstream(m_template, std::ios::binary) << text; }

  std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // Runs a template through, answering every directive with "<number:text>".
  std::string Expand(const std::string& templateText, std::size_t size = 128) {
    WriteTemplate(templateText);
    TemplateReport report;
    EXPECT_EQ(report.OpenTemplateReport(m_template, m_report), TemplateReport::kOpened);
    std::string text;
    int directive;
    while ((directive = report.NextTemplateDirective(text, size)) >= 0) {
      std::string answer(1, '<');  // not "<" + ...: GCC 12 warns wrongly about that at -O3
      answer += std::to_string(directive) + ":" + text + ">";
      EXPECT_EQ(report.WriteReportLine(answer), 0);
    }
    EXPECT_EQ(directive, TemplateReport::kEndOfTemplate);
    report.CloseTemplateReport();
    return ReadFile(m_report);
  }

  std::filesystem::path m_dir;
  std::string m_template;
  std::string m_report;
};

TEST_F(TemplateReportTest, PlainLinesAreCopiedAndDirectivesHandedBack) {
  EXPECT_EQ(Expand("Title\n#2:File: %s\nEnd\n"), "Title\r\n<2:File: %s\n>\r\nEnd\r\n");
}

TEST_F(TemplateReportTest, OnlyHashDigitAndColonMakeADirective) {
  EXPECT_EQ(Expand("#x:abc\n#12 abc\n#\n#012:a:b\r\n"), "#x:abc\r\n#12 abc\r\n#\r\n<12:a:b\r\n>\r\n");
}

TEST_F(TemplateReportTest, LastLineWithoutLineFeedIsStillRead) {
  EXPECT_EQ(Expand("one\ntwo"), "one\r\ntwo\r\n");
  EXPECT_EQ(Expand("#3:x"), "<3:x>\r\n");
}

TEST_F(TemplateReportTest, LongTemplateLinesKeepTheirFirst127Characters) {
  const std::string line(200, 'a');
  EXPECT_EQ(Expand(line + "\nnext\n"), std::string(127, 'a') + "\r\nnext\r\n");
  EXPECT_EQ(Expand(std::string(127, 'b') + "\nnext\n"), std::string(127, 'b') + "\r\nnext\r\n");
}

TEST_F(TemplateReportTest, EmptyTemplateLinesBecomeEmptyReportLinesButEmptyTextsWriteNothing) {
  EXPECT_EQ(Expand("a\n\nb\n"), "a\r\n\r\nb\r\n");
  WriteTemplate("");
  TemplateReport report;
  ASSERT_EQ(report.OpenTemplateReport(m_template, m_report), TemplateReport::kOpened);
  EXPECT_EQ(report.WriteReportLine(""), 0);
  EXPECT_EQ(report.WriteReportLine("x\r\n\r\n"), 0);
  EXPECT_EQ(report.WriteReportLine(std::string(600, 'y')), 0);
  report.CloseTemplateReport();
  EXPECT_EQ(ReadFile(m_report), "x\r\n" + std::string(513, 'y') + "\r\n");
}

TEST_F(TemplateReportTest, MissingTemplateIsCreatedEmptyAndGivesAnEmptyReport) {
  EXPECT_FALSE(std::filesystem::exists(m_template));
  TemplateReport report;
  ASSERT_EQ(report.OpenTemplateReport(m_template, m_report), TemplateReport::kOpened);
  std::string text;
  EXPECT_EQ(report.NextTemplateDirective(text, 128), TemplateReport::kEndOfTemplate);
  report.CloseTemplateReport();
  EXPECT_TRUE(std::filesystem::exists(m_template));
  EXPECT_EQ(ReadFile(m_report), "");
}

TEST_F(TemplateReportTest, FilesThatCannotBeOpenedAreToldApart) {
  TemplateReport report;
  EXPECT_EQ(report.OpenTemplateReport("", m_report), TemplateReport::kNoTemplate);
  EXPECT_EQ(report.OpenTemplateReport((m_dir / "no" / "t.s_s").string(), m_report), TemplateReport::kNoTemplate);
  WriteTemplate("a\n");
  EXPECT_EQ(report.OpenTemplateReport(m_template, ""), TemplateReport::kNoReport);
  EXPECT_EQ(report.OpenTemplateReport(m_template, (m_dir / "no" / "r.rpt").string()), TemplateReport::kNoReport);
  std::string text;
  EXPECT_EQ(report.NextTemplateDirective(text, 128), TemplateReport::kEndOfTemplate);
}

TEST_F(TemplateReportTest, ReportReplacesAnOldOneButNeverTheTemplate) {
  std::ofstream(m_report) << "old report that is longer than the new one\n";
  EXPECT_EQ(Expand("new\n"), "new\r\n");
  TemplateReport report;
  EXPECT_EQ(report.OpenTemplateReport(m_template, m_template), TemplateReport::kNoReport);
  EXPECT_EQ(ReadFile(m_template), "new\n");
}

TEST_F(TemplateReportTest, FailedWritesAreReported) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full to fail writes on";
  WriteTemplate("plain\n#1:x\n");
  TemplateReport report;
  ASSERT_EQ(report.OpenTemplateReport(m_template, "/dev/full"), TemplateReport::kOpened);
  std::string text;
  EXPECT_EQ(report.NextTemplateDirective(text, 128), TemplateReport::kWriteFailed);
  EXPECT_EQ(report.WriteReportLine("x"), TemplateReport::kWriteFailed);
}

}  // namespace
}  // namespace korvex
