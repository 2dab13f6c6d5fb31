#include "gds/name_codec.h"

namespace korvex::gds {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Candidates are listed by their encoded form so that a log line stays one line.
std::string ListNames(const std::vector<std::string>& names, const std::vector<std::size_t>& which) {
  constexpr std::size_t kShown = 10;
  std::string out;
  for (std::size_t i = 0; i < which.size() && i < kShown; ++i) {
    if (i) out += ", ";
    out += EncodeName(names[which[i]]);
  }
  if (which.size() > kShown) out += " and " + std::to_string(which.size() - kShown) + " more";
  return out;
}

}  // namespace

namespace {

template <typename Escaped>
void EncodeInto(std::string& out, std::string_view text, Escaped escaped) {
  // Runs without escapes, the usual case, go in one piece.
  std::size_t plain = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (!escaped(c)) continue;
    out.append(text.data() + plain, i - plain);
    const char hex[3] = {'%', kHex[c >> 4], kHex[c & 15]};
    out.append(hex, 3);
    plain = i + 1;
  }
  out.append(text.data() + plain, text.size() - plain);
}

template <typename Escaped>
std::string Encode(std::string_view text, Escaped escaped) {
  std::string out;
  out.reserve(text.size());
  EncodeInto(out, text, escaped);
  return out;
}

bool EscapedInName(unsigned char c) {
  return c < 0x21 || c > 0x7E || c == '%' || c == '(' || c == ')' || c == '|';
}

bool EscapedInText(unsigned char c) { return c < 0x20 || c > 0x7E || c == '%'; }

}  // namespace

std::string EncodeName(std::string_view name) { return Encode(name, EscapedInName); }

void AppendEncodedName(std::string& out, std::string_view name) { EncodeInto(out, name, EscapedInName); }

std::string EncodeText(std::string_view text) { return Encode(text, EscapedInText); }

void AppendEncodedText(std::string& out, std::string_view text) { EncodeInto(out, text, EscapedInText); }

std::string DecodeName(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

NameResolution ResolveStructureName(std::string_view name, const std::vector<std::string>& names) {
  NameResolution r;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] == name) {
      r.found = true;
      r.index = i;
      return r;
    }
  }
  std::vector<std::size_t> candidates;
  if (name.size() == kShortNameLength) {
    for (std::size_t i = 0; i < names.size(); ++i)
      if (names[i].size() > name.size() && std::string_view(names[i]).starts_with(name)) candidates.push_back(i);
  }
  if (candidates.size() == 1) {
    r.found = true;
    r.index = candidates[0];
  } else if (candidates.empty()) {
    r.error = "no structure named " + EncodeName(name);
  } else {
    r.error = "structure name " + EncodeName(name) + " is the beginning of " + std::to_string(candidates.size()) +
              " structure names: " + ListNames(names, candidates);
  }
  return r;
}

}  // namespace korvex::gds
