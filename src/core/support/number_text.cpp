#include "core/support/number_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <cstdint>
#include <cstdio>

namespace korvex {

std::string FormatReal(double value, double resolution, int width) {
  static const double kPowers[16] = {1,    1e-1,  1e-2,  1e-3,  1e-4,  1e-5,  1e-6,  1e-7,
                                     1e-8, 1e-9, 1e-10, 1e-11, 1e-12, 1e-13, 1e-14, 1e-15};
  std::string sign;
  int room = width - 1;
  if (value < 0) {
    sign = "-";
    value = -value;
    --room;
  }
  int decimals = 16;
  for (int n = 0; n < 16; ++n) {
    if (resolution >= kPowers[n]) {
      decimals = n;
      break;
    }
  }
  char work[400];  // every finite double fits in fixed notation with 16 decimals
  if (decimals == 0) {
    std::snprintf(work, sizeof work, "%ld", static_cast<long>(value + 0.5));
    return sign + work;
  }
  const auto printed = std::to_chars(work, work + sizeof work - 1, value, std::chars_format::fixed, decimals);
  std::string text(work, printed.ec == std::errc() ? printed.ptr : work);
  while (!text.empty() && text.back() == '0') text.pop_back();
  if (!text.empty() && text.back() == '.') text.pop_back();
  if (text == "0") return "0";
  if (room < 0) room = 0;
  if (text.size() > static_cast<std::size_t>(room)) text.resize(static_cast<std::size_t>(room));
  return sign + text;
}

int LeadingInteger(const std::string& text) {
  std::size_t p = 0;
  while (p < text.size() && std::isspace(static_cast<unsigned char>(text[p]))) ++p;
  bool negative = false;
  if (p < text.size() && (text[p] == '-' || text[p] == '+')) negative = text[p++] == '-';
  std::uint32_t value = 0;
  for (; p < text.size() && std::isdigit(static_cast<unsigned char>(text[p])); ++p) {
    value = value * 10u + static_cast<std::uint32_t>(text[p] - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<int>(value);
}

double LeadingReal(std::string_view text) {
  // Only digits, one point and an exponent are read: no "inf", "nan" or hexadecimal forms.
  const auto digitAt = [&](std::size_t i) { return i < text.size() && text[i] >= '0' && text[i] <= '9'; };
  std::size_t p = 0;
  while (p < text.size() && std::isspace(static_cast<unsigned char>(text[p]))) ++p;
  bool negative = false;
  if (p < text.size() && (text[p] == '+' || text[p] == '-')) negative = text[p++] == '-';
  const std::size_t start = p;
  std::size_t integerDigits = 0;  // without leading zeros
  std::size_t zerosAfterPoint = 0;
  bool nonzeroSeen = false;
  for (; digitAt(p); ++p) {
    nonzeroSeen = nonzeroSeen || text[p] != '0';
    if (nonzeroSeen) ++integerDigits;
  }
  const bool anyIntegerDigit = p > start;
  if (p < text.size() && text[p] == '.') {
    ++p;
    if (!anyIntegerDigit && !digitAt(p)) return 0;
    for (; digitAt(p); ++p) {
      if (!nonzeroSeen && text[p] == '0') ++zerosAfterPoint;
      nonzeroSeen = nonzeroSeen || text[p] != '0';
    }
  } else if (!anyIntegerDigit) {
    return 0;
  }
  long long exponent = 0;
  if (p < text.size() && (text[p] == 'e' || text[p] == 'E')) {
    std::size_t q = p + 1;
    bool exponentNegative = false;
    if (q < text.size() && (text[q] == '+' || text[q] == '-')) exponentNegative = text[q++] == '-';
    if (digitAt(q)) {
      for (; digitAt(q); ++q) exponent = std::min(exponent * 10 + (text[q] - '0'), 1000000000LL);
      if (exponentNegative) exponent = -exponent;
      p = q;
    }
  }
  double value = 0;
  const auto result = std::from_chars(text.data() + start, text.data() + p, value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // The value is left alone then; decide by the decimal magnitude whether it is huge or tiny.
    const long long magnitude =
        integerDigits > 0 ? static_cast<long long>(std::min<std::size_t>(integerDigits, 1000000)) + exponent
                          : exponent - static_cast<long long>(std::min<std::size_t>(zerosAfterPoint, 1000000));
    value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

std::string ByteText(std::uint64_t bytes) {
  static const char* const kUnits[] = {"bytes", "KB", "MB", "GB", "TB", "PB", "EB"};
  double v = static_cast<double>(bytes);
  int unit = 0;
  while (v >= 1000 && unit < 6) {
    v /= 1000;
    ++unit;
  }
  char text[48];
  std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", v, kUnits[unit]);
  return text;
}

}  // namespace korvex
