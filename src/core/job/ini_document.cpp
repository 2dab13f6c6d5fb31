#include "core/job/ini_document.h"

#include "core/support/paths.h"

#include <cctype>

namespace korvex {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

}  // namespace

IniDocument IniDocument::Parse(std::string_view text) {
  IniDocument doc;
  doc.m_sections.push_back({});
  while (!text.empty()) {
    const std::size_t lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    text = lf == std::string_view::npos ? std::string_view() : text.substr(lf + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    const std::string_view trimmed = Trim(line);
    if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']') {
      doc.m_sections.push_back({std::string(Trim(trimmed.substr(1, trimmed.size() - 2))), {}});
      continue;
    }
    const std::size_t eq = line.find('=');
    if (trimmed.empty() || trimmed.front() == ';' || eq == std::string_view::npos ||
        Trim(line.substr(0, eq)).empty()) {
      doc.m_sections.back().lines.push_back({{}, std::string(line)});
      continue;
    }
    doc.m_sections.back().lines.push_back(
        {std::string(Trim(line.substr(0, eq))), std::string(line.substr(eq + 1))});
  }
  return doc;
}

std::string IniDocument::Serialize() const {
  std::string out;
  for (const Section& section : m_sections) {
    if (&section != &m_sections.front()) out += "[" + section.name + "]\n";
    for (const Line& line : section.lines) {
      if (line.key.empty()) {
        out += line.value + "\n";
      } else {
        out += line.key + "=" + line.value + "\n";
      }
    }
  }
  return out;
}

IniDocument::Section* IniDocument::FindSection(std::string_view name) {
  for (std::size_t i = 1; i < m_sections.size(); ++i) {
    if (EqualNoCase(m_sections[i].name, name)) return &m_sections[i];
  }
  return nullptr;
}

const IniDocument::Section* IniDocument::FindSection(std::string_view name) const {
  return const_cast<IniDocument*>(this)->FindSection(name);
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  if (s == nullptr) return std::nullopt;
  for (const Line& line : s->lines) {
    if (!line.key.empty() && EqualNoCase(line.key, key)) return line.value;
  }
  return std::nullopt;
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
  if (m_sections.empty()) m_sections.push_back({});
  Section* s = FindSection(section);
  if (s == nullptr) {
    m_sections.push_back({std::string(section), {}});
    s = &m_sections.back();
  }
  for (Line& line : s->lines) {
    if (!line.key.empty() && EqualNoCase(line.key, key)) {
      line.value = value;
      return;
    }
  }
  // New keys go after the last key, before trailing blank lines.
  auto pos = s->lines.end();
  while (pos != s->lines.begin() && std::prev(pos)->key.empty() && Trim(std::prev(pos)->value).empty()) --pos;
  s->lines.insert(pos, {std::string(key), std::string(value)});
}

}  // namespace korvex
