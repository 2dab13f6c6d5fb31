#include "core/options/mapping_rules_model.h"

#include <algorithm>

namespace korvex {

void MappingRulesModel::Select(std::optional<std::size_t> entry) {
  m_selection = entry && *entry < m_entries.size() ? entry : std::nullopt;
}

Outcome<RuleField> MappingRulesModel::Add() {
  const ComposedRule rule = ComposeRule(fields);
  if (rule.kind == ComposedRule::Kind::kRefused) {
    return Outcome<RuleField>::Refuse(rule.message, rule.focus);
  }
  if (rule.kind == ComposedRule::Kind::kRule &&
      std::find(m_entries.begin(), m_entries.end(), rule.text) == m_entries.end()) {
    m_entries.push_back(rule.text);
  }
  return Outcome<RuleField>::Accept();
}

void MappingRulesModel::Remove() {
  if (!m_selection) return;
  const std::size_t removed = *m_selection;
  m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(removed));
  if (m_entries.empty()) {
    m_selection.reset();
  } else {
    m_selection = removed == 0 ? 0 : removed - 1;
  }
}

}  // namespace korvex
