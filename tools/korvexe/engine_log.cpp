#include "korvexe/engine_log.h"

#include <cerrno>
#include <cstring>

namespace korvex::engine {

EngineLog::~EngineLog() {
  if (file_ != nullptr) std::fclose(file_);
}

bool EngineLog::Open(const std::string& path, std::string& error) {
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) {
    error = std::strerror(errno);
    return false;
  }
  return true;
}

void EngineLog::Write(std::string_view text) {
  if (file_ == nullptr) return;
  // One event, one line: line breaks inside names must not start a line of their own.
  std::string line(text);
  for (char& c : line)
    if (c == '\n' || c == '\r') c = ' ';
  std::fwrite(line.data(), 1, line.size(), file_);
  std::fputc('\n', file_);
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
  if (file_ != nullptr) std::fflush(file_);
}

void EngineLog::Finish() {
  for (const auto& [kind, count] : per_kind_) {
    if (count > kDetailsPerKind)
      Write("Warning: " + std::to_string(count - kDetailsPerKind) + " more of this kind: " + kind);
  }
  per_kind_.clear();
  if (file_ != nullptr) std::fflush(file_);
}

}  // namespace korvex::engine
