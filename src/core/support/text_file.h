#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace korvex {

// Reads a text file line by line in 4096-byte blocks without copying lines. Only lines that
// an LF ends are returned: a last line without one never is, and a line longer than a block
// is dropped whole. A CR before the LF is removed.
class CTextFile {
 public:
  static constexpr std::size_t kBlockSize = 4096;

  // Opens the file for reading; null when it cannot be opened.
  static std::unique_ptr<CTextFile> Open(const std::string& path);
  ~CTextFile();
  CTextFile(const CTextFile&) = delete;
  CTextFile& operator=(const CTextFile&) = delete;

  void Rewind();
  bool ReadLine();
  std::string_view line() const { return m_line; }

  std::uint64_t Length() const;
  const std::string& FullPath() const { return m_path; }
  void Close();
  bool IsOpen() const { return m_fd >= 0; }

 private:
  CTextFile(int fd, std::string path);

  int m_fd;
  std::string m_path;
  std::string_view m_line;
  std::size_t m_next = 0;   // where the next unread line begins in m_buffer
  std::size_t m_count = 0;  // bytes of whole lines held in m_buffer
  bool m_skipToLineEnd = false;  // inside a line too long for a block
  char m_buffer[kBlockSize + 1] = {};
};

}  // namespace korvex
