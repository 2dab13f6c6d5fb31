#include "core/options/field_number.h"

#include <charconv>
#include <cmath>

namespace korvex {
namespace {

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// from_chars takes no leading "+"; the fields do.
std::string_view WithoutPlus(std::string_view text) {
  if (text.size() > 1 && text[0] == '+' && text[1] != '-' && text[1] != '+') text.remove_prefix(1);
  return text;
}

}  // namespace

std::string NumberRangeMessage(double low, double high) {
  return "Please enter a number between " + FormatFieldReal(low) + " and " + FormatFieldReal(high) + ".";
}

std::string IntegerRangeMessage(long long low, long long high) {
  return "Please enter an integer between " + std::to_string(low) + " and " + std::to_string(high) + ".";
}

std::string ReadRealField(std::string_view text, double low, double high, double& value) {
  const std::string_view number = WithoutPlus(Trimmed(text));
  double read = 0;
  // from_chars ignores the locale, so "1.5" reads the same whatever the desktop language.
  const auto [end, error] =
      std::from_chars(number.data(), number.data() + number.size(), read, std::chars_format::general);
  if (number.empty() || error != std::errc() || end != number.data() + number.size() ||
      !std::isfinite(read) || read < low || read > high) {
    return NumberRangeMessage(low, high);
  }
  value = read;
  return {};
}

std::string ReadIntegerField(std::string_view text, int low, int high, int& value) {
  const std::string_view number = WithoutPlus(Trimmed(text));
  long long read = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), read);
  if (number.empty() || error != std::errc() || end != number.data() + number.size() || read < low ||
      read > high) {
    return IntegerRangeMessage(low, high);
  }
  value = static_cast<int>(read);
  return {};
}

std::string FormatFieldReal(double value) {
  char text[64];
  // Like "%.15g", but without the locale's decimal separator.
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15);
  return std::string(text, result.ptr);
}

}  // namespace korvex
