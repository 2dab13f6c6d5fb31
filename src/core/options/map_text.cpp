#include "core/options/map_text.h"

#include "core/options/range_rules.h"

namespace korvex {

NumberBounds ReadBounds(std::string_view part) {
  const std::size_t dash = part.find('-');
  if (dash == std::string_view::npos) {
    const int n = ReadRuleNumber(part);
    return {n, n};
  }
  return {ReadRuleNumber(part.substr(0, dash)), ReadRuleNumber(part.substr(dash + 1))};
}

namespace {

void ApplyRule(MappingTable& table, std::string_view rule) {
  const std::size_t colon = rule.find(':');
  if (colon == std::string_view::npos) return;
  const NumberBounds in = ReadBounds(rule.substr(0, colon));
  const NumberBounds out = ReadBounds(rule.substr(colon + 1));
  for (MappingRow& row : table.rows) {
    if (row.Input < in.first || row.Input > in.last) continue;
    // Wide arithmetic: a shift near the int limits must not overflow.
    row.Output = out.last == out.first
                     ? out.first
                     : static_cast<int>(static_cast<long long>(row.Input) + out.first - in.first);
  }
}

void AppendRule(std::string& text, const std::string& rule) {
  if (!text.empty()) text += ',';
  text += rule;
}

void EmitRun(std::string& text, const MappingRow& s, const MappingRow& e) {
  if (&s == &e) {
    if (s.Input != s.Output) AppendRule(text, std::to_string(s.Input) + ":" + std::to_string(s.Output));
    return;
  }
  const std::string range = std::to_string(s.Input) + "-" + std::to_string(e.Input) + ":";
  if (e.Output == s.Output) {
    // A collapse is written even onto one of its own inputs: the other rows still move.
    AppendRule(text, range + std::to_string(s.Output));
  } else if (s.Input != s.Output) {
    AppendRule(text, range + std::to_string(s.Output) + "-" + std::to_string(e.Output));
  }
}

}  // namespace

void ApplyMapText(MappingTable& table, std::string_view text) {
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) comma = text.size();
    ApplyRule(table, text.substr(start, comma - start));
    start = comma + 1;
  }
}

std::string EncodeMapText(const MappingTable& table) {
  std::string text;
  const auto& rows = table.rows;
  std::size_t s = 0;
  while (s < rows.size()) {
    std::size_t e = s;
    int step = 0;
    if (s + 1 < rows.size() && rows[s + 1].Input == rows[s].Input + 1) {
      const long long diff = static_cast<long long>(rows[s + 1].Output) - rows[s].Output;
      if (diff == 0 || diff == 1) {
        step = static_cast<int>(diff);
        e = s + 1;
        while (e + 1 < rows.size() && rows[e + 1].Input == rows[e].Input + 1 &&
               static_cast<long long>(rows[e + 1].Output) - rows[e].Output == step) {
          ++e;
        }
      }
    }
    EmitRun(text, rows[s], rows[e]);
    s = e + 1;
  }
  return text;
}

}  // namespace korvex
