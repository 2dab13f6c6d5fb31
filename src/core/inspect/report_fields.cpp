#include "core/inspect/report_fields.h"

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

std::int32_t RoundToInt32(double value) {
  if (std::isnan(value)) return 0;
  const double rounded = std::round(value);
  if (rounded >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (rounded <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(rounded);
}

bool BeyondInt32(double value) {
  const double rounded = std::round(value);
  return rounded > 2147483647.0 || rounded < -2147483648.0;
}

std::string_view SkipBlanksAndTabs(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

}  // namespace korvex
