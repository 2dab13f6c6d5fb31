#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// Layer and datatype numbers, both ends included: the one range of the mapping table, the
// rules, the number fields and the filter engine (GDSII keeps them in 16 bits).
inline constexpr int kMinRuleNumber = 0;
inline constexpr int kMaxRuleNumber = 65535;

inline constexpr const char* kRangeLimitMessage = "Ranges should be within 0 to 65535.";
inline constexpr const char* kRangeOrderMessage = "Ranges should be in increasing order.";

// The four fields of the rules dialog as typed: "Map Range" a "to" b, "To Range" c "to" d.
struct RuleFields {
  std::string a;
  std::string b;
  std::string c;
  std::string d;
};

enum class RuleField { kA, kB, kC, kD };

// How messages name a field: "Map Range from", "Map Range to", "To Range from", "To Range to".
const char* RuleFieldName(RuleField field);

struct ComposedRule {
  enum class Kind {
    kRule,     // text holds the rule
    kNothing,  // the rule would change nothing; nothing is shown
    kRefused,  // message is shown, focus (when set) goes to that field
  };
  Kind kind = Kind::kNothing;
  std::string text;
  std::string message;
  std::optional<RuleField> focus;
};

// Reads a number of a stored rule the way the C library reads a leading integer; text
// without a leading number reads as 0.
int ReadRuleNumber(std::string_view field);

// Checks one typed field: empty (allowed only for the two "to" fields), or a whole number
// from 0 to 65535. The message names the field and the problem; empty when it is fine.
std::string CheckRuleField(RuleField field, std::string_view text);

// Forms one rule (a:c, a-b:c or a-b:c-d) from the four fields, or says why not. Nothing
// typed is reread or stretched: a field that is not a number, or a target range whose
// length differs from the source's, is refused.
ComposedRule ComposeRule(const RuleFields& fields);

// Rule list texts are the rules joined by ",".
std::vector<std::string> SplitRuleList(std::string_view text);
std::string JoinRuleList(const std::vector<std::string>& rules);

}  // namespace korvex
