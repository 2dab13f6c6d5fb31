#include "core/support/template_report.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/support/file_io.h"

namespace korvex {
namespace {

bool SameFile(int a, int b) {
  struct stat sa {}, sb {};
  return ::fstat(a, &sa) == 0 && ::fstat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Empties a report file; a device or a pipe has nothing to empty.
bool Empty(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return false;
  return !S_ISREG(st.st_mode) || ::ftruncate(fd, 0) == 0;
}

// Directive lines: "#", a digit, and somewhere a ":".
bool IsDirective(std::string_view line) {
  return line.size() >= 2 && line[0] == '#' && line[1] >= '0' && line[1] <= '9' &&
         line.find(':') != std::string_view::npos;
}

int DirectiveNumber(std::string_view line) {
  int number = 0;
  for (std::size_t p = 1; p < line.size() && line[p] >= '0' && line[p] <= '9'; ++p) {
    number = number > 100000000 ? number : number * 10 + (line[p] - '0');  // held, never wraps
  }
  return number;
}

}  // namespace

TemplateReport::~TemplateReport() { CloseTemplateReport(); }

int TemplateReport::OpenTemplateReport(const std::string& templatePath, const std::string& reportPath) {
  CloseTemplateReport();
  if (templatePath.empty()) return kNoTemplate;
  m_template = ::open(templatePath.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
  if (m_template < 0) return kNoTemplate;
  if (reportPath.empty()) {
    CloseTemplateReport();
    return kNoReport;
  }
  // Opened without truncation first, so that a report path naming the template cannot empty it.
  m_report = ::open(reportPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (m_report < 0 || SameFile(m_template, m_report) || !Empty(m_report)) {
    CloseTemplateReport();
    return kNoReport;
  }
  return kOpened;
}

int TemplateReport::ReadByte() {
  if (m_blockUsed == m_blockFilled) {
    ssize_t n;
    do {
      n = ::read(m_template, m_block, sizeof m_block);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) return -1;  // a read error ends the template like its end
    m_blockUsed = 0;
    m_blockFilled = static_cast<std::size_t>(n);
  }
  return static_cast<unsigned char>(m_block[m_blockUsed++]);
}

bool TemplateReport::ReadTemplateLine(std::string& line, std::size_t size) {
  line.clear();
  if (m_template < 0 || size == 0) return false;
  int byte = -1;
  while (line.size() + 1 < size && (byte = ReadByte()) >= 0) {
    line += static_cast<char>(byte);
    if (byte == '\n') return true;
  }
  if (line.size() + 1 >= size && !line.empty() && line.back() != '\n') {
    while ((byte = ReadByte()) >= 0 && byte != '\n') {
    }
  }
  return !line.empty();
}

int TemplateReport::NextTemplateDirective(std::string& text, std::size_t size) {
  std::string line;
  while (ReadTemplateLine(line, size)) {
    if (IsDirective(line)) {
      text = line.substr(line.find(':') + 1);
      return DirectiveNumber(line);
    }
    if (WriteReportLine(line) != 0) return kWriteFailed;
  }
  text.clear();
  return kEndOfTemplate;
}

int TemplateReport::WriteReportLine(std::string_view text) {
  if (text.empty()) return 0;
  std::string line(text.substr(0, kReportLineLength));
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  line += "\r\n";
  if (m_report < 0 || !WriteAll(m_report, line)) return kWriteFailed;
  return 0;
}

void TemplateReport::CloseTemplateReport() {
  if (m_report >= 0) ::close(m_report);
  if (m_template >= 0) ::close(m_template);
  m_report = m_template = -1;
  m_blockUsed = m_blockFilled = 0;
}

}  // namespace korvex
