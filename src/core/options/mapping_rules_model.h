#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/options/outcome.h"
#include "core/options/range_rules.h"

namespace korvex {

// The "Mapping Rules" dialog: four number fields, a list of rules kept in the order they
// were added, "Add", "Remove", OK and Cancel (Cancel needs nothing from the model).
class MappingRulesModel {
 public:
  explicit MappingRulesModel(std::string_view ruleList) : m_entries(SplitRuleList(ruleList)) {}

  // The four fields as typed; Add leaves them as they are.
  RuleFields fields;

  const std::vector<std::string>& Entries() const { return m_entries; }
  std::optional<std::size_t> Selection() const { return m_selection; }
  void Select(std::optional<std::size_t> entry);

  // Appends the composed rule unless the same text is listed already. A refusal carries
  // the message and, for a descending range, the focus on the second field.
  Outcome<RuleField> Add();
  // Deletes the selected entry and selects the one before it (or the new first one).
  void Remove();
  // The rule list text that OK hands back.
  std::string Ok() const { return JoinRuleList(m_entries); }

 private:
  std::vector<std::string> m_entries;
  std::optional<std::size_t> m_selection;
};

}  // namespace korvex
