#include "core/support/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace korvex {

std::unique_ptr<CTextFile> CTextFile::Open(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<CTextFile>(new CTextFile(fd, path));
}

CTextFile::CTextFile(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}

CTextFile::~CTextFile() { Close(); }

void CTextFile::Close() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
}

std::uint64_t CTextFile::Length() const {
  struct stat st {};
  if (m_fd < 0 || ::fstat(m_fd, &st) != 0) return 0;
  return static_cast<std::uint64_t>(st.st_size);
}

void CTextFile::Rewind() {
  if (m_fd >= 0) ::lseek(m_fd, 0, SEEK_SET);
  m_buffer[0] = '\0';
  m_next = 0;
  m_count = 0;
  m_skipToLineEnd = false;
  m_line = {};
}

bool CTextFile::ReadLine() {
  for (;;) {
    const char* begin = m_buffer + m_next;
    const std::size_t left = m_count - m_next;
    if (const void* lf = std::memchr(begin, '\n', left)) {
      const char* end = static_cast<const char*>(lf);
      m_next = static_cast<std::size_t>(end - m_buffer) + 1;
      if (end > begin && end[-1] == '\r') --end;
      m_line = std::string_view(begin, static_cast<std::size_t>(end - begin));
      return true;
    }
    if (m_fd < 0) return false;
    ssize_t got;
    do {
      got = ::read(m_fd, m_buffer, kBlockSize);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
      m_count = m_next = 0;  // a read error ends the data like the end of the file
      return false;
    }
    m_count = static_cast<std::size_t>(got);
    m_buffer[m_count] = '\0';
    m_next = 0;
    // Keep whole lines only; the partial last line is read again with the next block.
    const void* lastLf = ::memrchr(m_buffer, '\n', m_count);
    if (lastLf != nullptr) {
      const std::size_t keep = static_cast<std::size_t>(static_cast<const char*>(lastLf) - m_buffer) + 1;
      if (keep < m_count) ::lseek(m_fd, -static_cast<off_t>(m_count - keep), SEEK_CUR);
      m_count = keep;
    } else {
      // A block without any line end is dropped whole, and so is the rest of that overlong
      // line: its tail must not come back looking like a line of its own.
      m_count = 0;
      m_skipToLineEnd = true;
      continue;
    }
    if (m_skipToLineEnd) {
      m_skipToLineEnd = false;
      m_next = static_cast<std::size_t>(static_cast<const char*>(std::memchr(m_buffer, '\n', m_count)) - m_buffer) + 1;
    }
  }
}

}  // namespace korvex
