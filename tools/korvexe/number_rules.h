// Layer and datatype numbers (0..65535): which to keep, and what each becomes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvex::engine {

// Keeps or drops by number. Built from "1,5,63" (ranges "10-20" also read); an empty list
// with include keeps nothing, with exclude drops nothing.
class NumberFilter {
 public:
  NumberFilter() : listed_(65536, false) {}
  // False with `error` naming the bad entry.
  bool Parse(std::string_view list, bool exclude, std::string& error);
  bool Keeps(std::uint16_t n) const { return listed_[n] != exclude_; }
  bool active() const { return active_; }

 private:
  std::vector<bool> listed_;
  bool exclude_ = true;
  bool active_ = false;
};

// Renumbering by a map text: rules "in:out", "a-b:c" (collapse) and "a-b:c-d" (shift),
// joined by ",", the later rule winning. Numbers are read like the C library's atoi.
class NumberMap {
 public:
  NumberMap();
  // Pieces without ":" are skipped and listed in `skipped`. False with `error` when a rule
  // would give a number outside 0..65535.
  bool Parse(std::string_view text, std::vector<std::string>& skipped, std::string& error);
  std::uint16_t operator()(std::uint16_t n) const { return to_[n]; }
  bool active() const { return active_; }

 private:
  std::vector<std::uint16_t> to_;
  bool active_ = false;
};

}  // namespace korvex::engine
