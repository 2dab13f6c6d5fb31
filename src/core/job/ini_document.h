#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// The text of an INI file: sections of "Key=Value" lines. Section and key names are
// matched without regard to case; lines the program does not understand are kept.
class IniDocument {
 public:
  static IniDocument Parse(std::string_view text);
  std::string Serialize() const;

  std::optional<std::string> Get(std::string_view section, std::string_view key) const;
  void Set(std::string_view section, std::string_view key, std::string_view value);
  bool HasSection(std::string_view section) const { return FindSection(section) != nullptr; }

 private:
  struct Line {
    std::string key;  // empty for a line kept as it was (comment, blank, unreadable)
    std::string value;
  };
  struct Section {
    std::string name;
    std::vector<Line> lines;
  };

  Section* FindSection(std::string_view name);
  const Section* FindSection(std::string_view name) const;

  std::vector<Section> m_sections;  // the first one, unnamed, holds lines before any header
};

}  // namespace korvex
