#include "core/support/splitters.h"

namespace korvex {
namespace {

bool IsGraphic(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 33 && u <= 126;
}

std::size_t MaxItems(std::size_t capacity) { return capacity == 0 ? 0 : capacity - 1; }

}  // namespace

std::vector<std::string> SplitWords(std::string_view text, std::size_t capacity) {
  std::vector<std::string> items;
  const std::size_t maxItems = MaxItems(capacity);
  std::size_t p = 0;
  while (p < text.size() && items.size() < maxItems) {
    while (p < text.size() && !IsGraphic(text[p])) ++p;
    if (p == text.size()) break;
    const std::size_t start = p;
    while (p < text.size() && IsGraphic(text[p])) ++p;
    const bool lastRoom = items.size() + 1 == maxItems;
    if (p < text.size() && !lastRoom) {
      items.emplace_back(text.substr(start, p - start));
      ++p;
    } else {
      items.emplace_back(text.substr(start));
      break;
    }
  }
  return items;
}

std::vector<std::string> SplitQuotedList(std::string_view input, std::size_t capacity) {
  std::string text(input);  // quotes are overwritten while splitting
  std::vector<std::string> items;
  const std::size_t maxItems = MaxItems(capacity);
  const std::size_t n = text.size();
  std::size_t p = 0;

  if (n >= 2 && text[0] == '"' && text[1] == '"' && maxItems > 0) {
    const std::size_t close = text.find('"', 2);
    if (close == std::string::npos) {
      items.emplace_back(text.substr(2));
      return items;
    }
    items.emplace_back(text.substr(2, close - 2));
    if (close + 1 < n && text[close + 1] == '"') {
      p = close + 2;
    } else {
      const std::size_t next = text.find('"', close + 1);
      if (next != std::string::npos) text[next] = ' ';
      p = close + 1;
    }
  }

  while (p < n && items.size() < maxItems) {
    while (p < n && text[p] == ' ') ++p;
    if (p == n) break;
    std::size_t start = p;
    std::size_t stop;
    if (text[p] == '"') {
      start = p + 1;
      stop = text.find('"', start);
      if (stop == std::string::npos) {
        stop = n;
      } else {
        text[stop] = ' ';
      }
    } else {
      std::size_t close = std::string::npos;
      if (text[p] == '\'') {
        for (std::size_t q = p + 1; q < n; ++q) {
          if (text[q] == '\'' && (q + 1 == n || text[q + 1] == ' ')) {
            close = q;
            break;
          }
        }
      }
      if (close != std::string::npos) {
        start = p + 1;
        stop = close;
        text[stop] = ' ';
      } else {
        stop = text.find(' ', p);
        if (stop == std::string::npos) stop = n;
      }
    }
    const bool lastRoom = items.size() + 1 == maxItems;
    if (stop < n && !lastRoom) {
      items.emplace_back(text.substr(start, stop - start));
      p = stop + 1;
    } else {
      items.emplace_back(text.substr(start));
      break;
    }
  }
  return items;
}

}  // namespace korvex
