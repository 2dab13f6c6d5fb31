#include "core/options/comma_list.h"

namespace korvex {

bool ListHolds(std::string_view list, std::string_view entry) {
  std::string framed;
  framed.reserve(list.size() + 2);
  framed.append(",").append(list).append(",");
  std::string needle;
  needle.reserve(entry.size() + 2);
  needle.append(",").append(entry).append(",");
  return framed.find(needle) != std::string::npos;
}

std::string JoinCommaList(const std::vector<std::string>& entries) {
  std::string text;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i > 0) text += ',';
    text += entries[i];
  }
  return text;
}

std::vector<std::string> SplitCommaList(std::string_view list) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t comma = list.find(',', start);
    if (comma == std::string_view::npos) comma = list.size();
    if (comma > start) pieces.emplace_back(list.substr(start, comma - start));
    start = comma + 1;
  }
  return pieces;
}

}  // namespace korvex
