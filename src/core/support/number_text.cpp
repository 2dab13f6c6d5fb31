#include "core/support/number_text.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

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
  char work[64];
  if (decimals == 0) {
    std::snprintf(work, sizeof work, "%ld", static_cast<long>(value + 0.5));
    return sign + work;
  }
  std::snprintf(work, sizeof work, "%.*f", decimals, value);
  std::string text(work);
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

double LeadingReal(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

}  // namespace korvex
