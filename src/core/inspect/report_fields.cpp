#include "core/inspect/report_fields.h"

#include <charconv>
#include <algorithm>
#include <cmath>
#include <limits>

#include "core/support/splitters.h"

namespace korvex {

std::optional<std::vector<std::string>> RowValues(std::string_view row, std::size_t count) {
  const std::size_t open = row.find('(');
  if (open == std::string_view::npos) return std::nullopt;
  const std::size_t close = row.find(')', open + 1);
  if (close == std::string_view::npos) return std::nullopt;
  std::string inside(row.substr(open + 1, close - open - 1));
  for (char& c : inside) {
    if (c == ',') c = ' ';
  }
  std::vector<std::string> values = SplitWords(inside, count + 1);
  if (values.size() < count) return std::nullopt;
  return values;
}

double LeadingDecimal(std::string_view text) {
  // Only digits, one point and an exponent are read: no "inf", "nan" or hexadecimal forms.
  const auto digitAt = [&](std::size_t i) { return i < text.size() && text[i] >= '0' && text[i] <= '9'; };
  std::size_t p = 0;
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

std::int32_t RoundToInt32(double value) {
  if (std::isnan(value)) return 0;
  const double rounded = std::round(value);
  if (rounded >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (rounded <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(rounded);
}

std::string_view SkipBlanksAndTabs(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

}  // namespace korvex
