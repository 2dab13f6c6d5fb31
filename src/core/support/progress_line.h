// The companions' progress lines: "PHASE DONE TOTAL", a word and two byte counts (TOTAL 0 when
// the phase's size is not known), one per line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvex {

// The environment variable that names the descriptor a companion writes its progress to.
inline constexpr const char* kProgressFdVariable = "KORVEX_PROGRESS_FD";

struct ProgressLine {
  std::string phase;
  std::uint64_t done = 0;
  std::uint64_t total = 0;  // 0: not known
  bool operator==(const ProgressLine&) const = default;
};

inline constexpr std::size_t kMaxProgressPhase = 32;
inline constexpr std::size_t kProgressLineCapacity = kMaxProgressPhase + 2 * 21 + 2;

// Writes the line with its line end into buffer (no allocation: a writer may be on any thread).
// Returns its length, 0 when the phase is not a word of at most kMaxProgressPhase letters or
// the buffer is too small.
std::size_t FormatProgressLine(char* buffer, std::size_t size, std::string_view phase, std::uint64_t done,
                               std::uint64_t total);

// Reads one line (without its line end); nothing for anything that is not such a line.
std::optional<ProgressLine> ParseProgressLine(std::string_view line);

// The descriptor a KORVEX_PROGRESS_FD value names: a decimal number above 2 (never standard
// input, output or error) of a descriptor that is open. -1 otherwise, or for no value.
int ProgressDescriptor(const char* value);

}  // namespace korvex
