#include "core/support/progress_line.h"

#include <fcntl.h>

#include <charconv>
#include <cstring>

namespace korvex {
namespace {

bool IsPhase(std::string_view phase) {
  if (phase.empty() || phase.size() > kMaxProgressPhase) return false;
  for (const char c : phase) {
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '_')) return false;
  }
  return true;
}

// The number that starts `text` up to the next blank; nothing for anything else.
std::optional<std::uint64_t> TakeNumber(std::string_view& text) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end == text.data()) return std::nullopt;
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return value;
}

}  // namespace

std::size_t FormatProgressLine(char* buffer, std::size_t size, std::string_view phase, std::uint64_t done,
                               std::uint64_t total) {
  if (!IsPhase(phase) || size < kProgressLineCapacity) return 0;
  std::memcpy(buffer, phase.data(), phase.size());
  char* at = buffer + phase.size();
  char* const end = buffer + size;
  *at++ = ' ';
  at = std::to_chars(at, end, done).ptr;
  *at++ = ' ';
  at = std::to_chars(at, end, total).ptr;
  *at++ = '\n';
  return static_cast<std::size_t>(at - buffer);
}

std::optional<ProgressLine> ParseProgressLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const std::size_t blank = line.find(' ');
  if (blank == std::string_view::npos || !IsPhase(line.substr(0, blank))) return std::nullopt;
  ProgressLine parsed;
  parsed.phase = std::string(line.substr(0, blank));
  line.remove_prefix(blank + 1);
  const std::optional<std::uint64_t> done = TakeNumber(line);
  if (!done || line.empty() || line.front() != ' ') return std::nullopt;
  line.remove_prefix(1);
  const std::optional<std::uint64_t> total = TakeNumber(line);
  if (!total || !line.empty()) return std::nullopt;
  parsed.done = *done;
  parsed.total = *total;
  return parsed;
}

int ProgressDescriptor(const char* value) {
  if (value == nullptr) return -1;
  const std::string_view text(value);
  int fd = -1;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), fd);
  if (error != std::errc() || end != text.data() + text.size() || fd < 3) return -1;
  return ::fcntl(fd, F_GETFD) >= 0 ? fd : -1;
}

}  // namespace korvex
