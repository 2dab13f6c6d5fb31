#include "core/support/directive_format.h"

#include <cstdint>
#include <cstdio>
#include <optional>

namespace korvex {
namespace {

// Widths and precisions beyond this are refused; a report line is far shorter anyway.
constexpr int kMaxFieldDigits = 3;

enum class Length { Default, Char, Short, Long, LongLong };

struct Conversion {
  std::string flags;
  std::string width;
  std::optional<std::string> precision;
  Length length = Length::Default;
  char kind = 0;
  std::size_t end = 0;  // just past the conversion character
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Parses the conversion that starts at format[at] == '%'; none when it is not one we allow.
std::optional<Conversion> ParseConversion(std::string_view format, std::size_t at) {
  Conversion c;
  std::size_t p = at + 1;
  while (p < format.size() && std::string_view("-+ #0").find(format[p]) != std::string_view::npos) {
    if (c.flags.find(format[p]) == std::string::npos) c.flags += format[p];
    ++p;
  }
  const auto digits = [&](std::string& into) {
    const std::size_t start = p;
    while (p < format.size() && IsDigit(format[p])) ++p;
    into.assign(format.substr(start, p - start));
    return into.size() <= static_cast<std::size_t>(kMaxFieldDigits);
  };
  if (!digits(c.width)) return std::nullopt;
  if (p < format.size() && format[p] == '.') {
    ++p;
    c.precision.emplace();
    if (!digits(*c.precision)) return std::nullopt;
  }
  if (format.substr(p, 2) == "hh") {
    c.length = Length::Char;
    p += 2;
  } else if (format.substr(p, 2) == "ll") {
    c.length = Length::LongLong;
    p += 2;
  } else if (p < format.size() && format[p] == 'h') {
    c.length = Length::Short;
    ++p;
  } else if (p < format.size() && format[p] == 'l') {
    c.length = Length::Long;
    ++p;
  }
  if (p >= format.size()) return std::nullopt;
  c.kind = format[p];
  c.end = p + 1;
  const bool integer = std::string_view("diuoxXc").find(c.kind) != std::string_view::npos;
  if (!integer && c.kind != 's') return std::nullopt;
  // Combinations that the C library leaves undefined are refused too.
  const bool alternate = c.flags.find('#') != std::string::npos;
  const bool zeroPad = c.flags.find('0') != std::string::npos;
  if (alternate && std::string_view("oxX").find(c.kind) == std::string_view::npos) return std::nullopt;
  if (zeroPad && (c.kind == 's' || c.kind == 'c')) return std::nullopt;
  if ((c.kind == 's' || c.kind == 'c') && c.length != Length::Default) return std::nullopt;
  if (c.kind == 'c' && c.precision) return std::nullopt;
  return c;
}

// The integer as the conversion's length asks for it; a plain or "l" conversion is 32 bits
// wide, as the values of a report are.
long long SignedForLength(long long v, Length length) {
  switch (length) {
    case Length::Char: return static_cast<signed char>(v);
    case Length::Short: return static_cast<short>(v);
    case Length::LongLong: return v;
    default: return static_cast<std::int32_t>(v);
  }
}

unsigned long long UnsignedForLength(long long v, Length length) {
  switch (length) {
    case Length::Char: return static_cast<unsigned char>(v);
    case Length::Short: return static_cast<unsigned short>(v);
    case Length::LongLong: return static_cast<unsigned long long>(v);
    default: return static_cast<std::uint32_t>(v);
  }
}

std::string Apply(const Conversion& c, const DirectiveValue& value) {
  std::string conversion = "%" + c.flags + c.width;
  if (c.precision) conversion += "." + *c.precision;
  char out[2 * 1000 + 64];  // a width and a precision of three digits each fit
  int n = 0;
  if (c.kind == 's') {
    conversion += 's';
    n = std::snprintf(out, sizeof out, conversion.c_str(), std::get<std::string>(value).c_str());
  } else if (c.kind == 'c') {
    conversion += 'c';
    n = std::snprintf(out, sizeof out, conversion.c_str(), static_cast<int>(std::get<long long>(value)));
  } else if (c.kind == 'd' || c.kind == 'i') {
    conversion += "ll";
    conversion += c.kind;
    n = std::snprintf(out, sizeof out, conversion.c_str(), SignedForLength(std::get<long long>(value), c.length));
  } else {
    conversion += "ll";
    conversion += c.kind;
    n = std::snprintf(out, sizeof out, conversion.c_str(), UnsignedForLength(std::get<long long>(value), c.length));
  }
  if (n < 0) return {};
  return std::string(out, std::min(static_cast<std::size_t>(n), sizeof out - 1));
}

}  // namespace

std::string FormatDirective(std::string_view format, const std::vector<DirectiveValue>& values,
                            std::size_t maxLength) {
  std::string text;
  std::size_t next = 0;  // next value to use
  for (std::size_t p = 0; p < format.size();) {
    if (format[p] != '%') {
      text += format[p++];
      continue;
    }
    if (p + 1 < format.size() && format[p + 1] == '%') {
      text += '%';
      p += 2;
      continue;
    }
    const auto conversion = ParseConversion(format, p);
    const bool fits = conversion && next < values.size() &&
                      (conversion->kind == 's') == std::holds_alternative<std::string>(values[next]);
    if (!fits) return std::string(format.substr(0, maxLength));
    text += Apply(*conversion, values[next++]);
    p = conversion->end;
  }
  if (text.size() > maxLength) text.resize(maxLength);
  return text;
}

}  // namespace korvex
