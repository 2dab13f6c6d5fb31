#include "ui/file_filters.h"

namespace korvex {
namespace {

std::string DialogPatterns(std::string_view patterns) {
  std::string out;
  std::size_t start = 0;
  while (start <= patterns.size()) {
    std::size_t end = patterns.find(';', start);
    if (end == std::string_view::npos) end = patterns.size();
    std::string_view one = patterns.substr(start, end - start);
    if (!one.empty()) {
      if (!out.empty()) out += ' ';
      out += one == "*.*" ? std::string_view("*") : one;
    }
    start = end + 1;
  }
  return out;
}

}  // namespace

std::vector<std::string> DialogNameFilters(std::string_view entry) {
  std::vector<std::string> filters;
  std::size_t pos = 0;
  while (pos < entry.size()) {
    const std::size_t bar1 = entry.find('|', pos);
    if (bar1 == std::string_view::npos || bar1 == pos) break;  // "||" ends the entry
    const std::size_t bar2 = entry.find('|', bar1 + 1);
    if (bar2 == std::string_view::npos) break;
    std::string description(entry.substr(pos, bar1 - pos));
    const std::size_t paren = description.find(" (");
    if (paren != std::string::npos) description.erase(paren);
    filters.push_back(description + " (" + DialogPatterns(entry.substr(bar1 + 1, bar2 - bar1 - 1)) + ")");
    pos = bar2 + 1;
  }
  return filters;
}

}  // namespace korvex
