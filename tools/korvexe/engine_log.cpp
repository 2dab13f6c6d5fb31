#include "korvexe/engine_log.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/support/bus_error_exit.h"
#include <cstring>

namespace korvex::engine {

EngineLog::~EngineLog() { Close(); }

bool EngineLog::Open(const std::string& path, std::string& error, bool& busy) {
  busy = false;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    busy = errno == EWOULDBLOCK;
    error = busy ? "another run is writing it" : std::strerror(errno);
    ::close(fd);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || (S_ISREG(st.st_mode) && ::ftruncate(fd, 0) != 0)) {
    error = std::strerror(errno);
    ::close(fd);
    return false;
  }
  file_ = ::fdopen(fd, "wb");  // the lock goes with the descriptor when the file is closed
  if (file_ == nullptr) {
    error = std::strerror(errno);
    ::close(fd);
    return false;
  }
  SetBusErrorLog(fd);
  return true;
}

void EngineLog::Close() {
  if (file_ == nullptr) return;
  Flush();
  SetBusErrorLog(-1);
  if (std::fclose(file_) != 0 && write_error_.empty()) write_error_ = std::strerror(errno);
  file_ = nullptr;
}

void EngineLog::Flush() {
  if (file_ == nullptr) return;
  errno = 0;
  if ((std::fflush(file_) != 0 || std::ferror(file_)) && write_error_.empty())
    write_error_ = errno != 0 ? std::strerror(errno) : "write error";
}

void EngineLog::Write(std::string_view text) {
  if (file_ == nullptr) return;
  // One event, one line: line breaks inside names must not start a line of their own.
  std::string line(text);
  for (char& c : line)
    if (c == '\n' || c == '\r') c = ' ';
  errno = 0;
  if ((std::fwrite(line.data(), 1, line.size(), file_) != line.size() || std::fputc('\n', file_) == EOF) &&
      write_error_.empty()) {
    write_error_ = errno != 0 ? std::strerror(errno) : "write error";
  }
}

void EngineLog::Line(std::string_view text) { Write(text); }

void EngineLog::Warning(std::string_view text, std::string_view kind) {
  ++problems_;
  if (!kind.empty()) {
    auto it = per_kind_.find(kind);
    if (it == per_kind_.end()) it = per_kind_.emplace(std::string(kind), 0).first;
    if (++it->second > kDetailsPerKind) return;
  }
  Write("Warning: " + std::string(text));
}

void EngineLog::Warnings(std::uint64_t count, std::string_view text) {
  if (count == 0) return;
  problems_ += count;
  Write("Warning: " + std::string(text));
}

void EngineLog::Error(std::string_view text) {
  ++problems_;
  Write("Error: " + std::string(text));
  Flush();
}

void EngineLog::Finish() {
  for (const auto& [kind, count] : per_kind_) {
    if (count > kDetailsPerKind)
      Write("Warning: " + std::to_string(count - kDetailsPerKind) + " more of this kind: " + kind);
  }
  per_kind_.clear();
  Flush();
}

}  // namespace korvex::engine
