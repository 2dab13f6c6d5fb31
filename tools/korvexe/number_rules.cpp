#include "korvexe/number_rules.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace korvex::engine {
namespace {

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(separator, start);
    pieces.push_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
    if (at == std::string_view::npos) return pieces;
    start = at + 1;
  }
}

// Blanks, an optional sign, then digits up to the first other character; no digits read as 0.
long LeadingNumber(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  long value = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    value = value * 10 + (s[i] - '0');
    if (value > 1000000000L) break;  // far beyond any number; stops the growth
  }
  return negative ? -value : value;
}

// A whole entry of an include/exclude list: digits only, at most 65535.
bool StrictNumber(std::string_view s, long& value) {
  if (s.empty() || s.size() > 5) return false;
  value = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value <= 65535;
}

}  // namespace

bool NumberFilter::Parse(std::string_view list, bool exclude, std::string& error) {
  exclude_ = exclude;
  active_ = !(exclude && list.empty());
  for (std::string_view entry : Split(list, ',')) {
    if (entry.empty()) continue;
    const std::size_t dash = entry.find('-');
    long a = 0, b = 0;
    const bool ok = dash == std::string_view::npos
                        ? StrictNumber(entry, a) && StrictNumber(entry, b)
                        : StrictNumber(entry.substr(0, dash), a) && StrictNumber(entry.substr(dash + 1), b) && a <= b;
    if (!ok) {
      error.assign(1, '\'').append(entry).append("' is not a number from 0 to 65535 (nor a range of them)");
      return false;
    }
    for (long n = a; n <= b; ++n) listed_[static_cast<std::size_t>(n)] = true;
  }
  return true;
}

NumberMap::NumberMap() : to_(65536) {
  for (std::size_t n = 0; n < to_.size(); ++n) to_[n] = static_cast<std::uint16_t>(n);
}

bool NumberMap::Parse(std::string_view text, std::vector<std::string>& skipped, std::string& error) {
  if (text.empty()) return true;
  for (std::string_view piece : Split(text, ',')) {
    const std::size_t colon = piece.find(':');
    if (colon == std::string_view::npos) {
      skipped.emplace_back(piece);
      continue;
    }
    const std::string_view left = piece.substr(0, colon), right = piece.substr(colon + 1);
    const std::size_t ld = left.find('-'), rd = right.find('-');
    const long a = LeadingNumber(left.substr(0, ld));
    const long b = ld == std::string_view::npos ? a : LeadingNumber(left.substr(ld + 1));
    const long c = LeadingNumber(right.substr(0, rd));
    const long d = rd == std::string_view::npos ? c : LeadingNumber(right.substr(rd + 1));
    const long from = std::max(a, 0L), to = std::min(b, 65535L);
    for (long x = from; x <= to; ++x) {
      const long out = d == c ? c : x + c - a;
      if (out < 0 || out > 65535) {
        error.assign("rule '").append(piece).append("' gives ").append(std::to_string(out)).append(", outside 0 to 65535");
        return false;
      }
      to_[static_cast<std::size_t>(x)] = static_cast<std::uint16_t>(out);
    }
    if (from <= to) active_ = true;
  }
  return true;
}

}  // namespace korvex::engine
