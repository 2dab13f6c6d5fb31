#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvex {

// Writes a text report from a template file. Plain template lines are copied to the report;
// directive lines ("#" and a number, ":" and a text) are handed to the caller, who formats
// the text with its own values and writes the result. Report lines end in CR LF.
class TemplateReport {
 public:
  static constexpr int kOpened = 0;
  static constexpr int kNoTemplate = 1;
  static constexpr int kNoReport = 2;
  static constexpr int kEndOfTemplate = -1;
  static constexpr int kWriteFailed = -2;
  // Longest report line, before its CR LF.
  static constexpr std::size_t kReportLineLength = 513;

  TemplateReport() = default;
  ~TemplateReport();
  TemplateReport(const TemplateReport&) = delete;
  TemplateReport& operator=(const TemplateReport&) = delete;

  // kOpened when both files are open. A missing template is created empty, so the report
  // comes out empty. The report is created anew; it may not be the template itself.
  int OpenTemplateReport(const std::string& templatePath, const std::string& reportPath);

  // Copies plain lines to the report up to the next directive line, whose number it returns
  // with its text (after the first ":", line end included) in `text`. Template lines count
  // with at most size - 1 characters; the rest of a longer line is skipped.
  // kEndOfTemplate at the end, kWriteFailed when copying a line failed.
  int NextTemplateDirective(std::string& text, std::size_t size);

  // Writes one line: an empty text writes nothing; otherwise the text (at most
  // kReportLineLength characters) without its line end, then CR LF. 0 or kWriteFailed.
  int WriteReportLine(std::string_view text);

  void CloseTemplateReport();

 private:
  bool ReadTemplateLine(std::string& line, std::size_t size);
  int ReadByte();

  int m_template = -1;
  int m_report = -1;
  char m_block[4096] = {};
  std::size_t m_blockUsed = 0;
  std::size_t m_blockFilled = 0;
};

}  // namespace korvex
