#include "core/options/range_rules.h"

#include "core/options/comma_list.h"
#include "core/support/number_text.h"

namespace korvex {

int ReadRuleNumber(std::string_view field) { return LeadingInteger(std::string(field)); }

ComposedRule ComposeRule(const RuleFields& fields) {
  const int a = ReadRuleNumber(fields.a);
  const int b = ReadRuleNumber(fields.b);
  const int c = ReadRuleNumber(fields.c);
  const int d = ReadRuleNumber(fields.d);
  ComposedRule rule;
  for (const int n : {a, b, c, d}) {
    if (n < kMinRuleNumber || n > kMaxRuleNumber) {
      rule.kind = ComposedRule::Kind::kRefused;
      rule.message = kRangeLimitMessage;
      return rule;
    }
  }
  bool hasB = !fields.b.empty();
  if (hasB && b < a) {
    rule.kind = ComposedRule::Kind::kRefused;
    rule.message = kRangeOrderMessage;
    rule.focus = RuleField::kB;
    return rule;
  }
  if (a == b) hasB = false;
  if (a == c) return rule;  // its first input stays as it is: no rule

  rule.kind = ComposedRule::Kind::kRule;
  if (!hasB) {
    rule.text = std::to_string(a) + ":" + std::to_string(c);
  } else if (!fields.d.empty()) {
    // The last output always follows from the others; a typed one only had to be in range.
    rule.text = std::to_string(a) + "-" + std::to_string(b) + ":" + std::to_string(c) + "-" +
                std::to_string(b + c - a);
  } else {
    rule.text = std::to_string(a) + "-" + std::to_string(b) + ":" + std::to_string(c);
  }
  return rule;
}

std::vector<std::string> SplitRuleList(std::string_view text) { return SplitCommaList(text); }

std::string JoinRuleList(const std::vector<std::string>& rules) { return JoinCommaList(rules); }

}  // namespace korvex
