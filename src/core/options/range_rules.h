#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// Layer and datatype numbers that a rule may name, both ends included.
inline constexpr int kMinRuleNumber = 0;
inline constexpr int kMaxRuleNumber = 1024;

inline constexpr const char* kRangeLimitMessage = "Ranges should be within 0 to 1024.";
inline constexpr const char* kRangeOrderMessage = "Ranges should be in increasing order.";

// The four fields of the rules dialog as typed: "Map Range" a "to" b, "To Range" c "to" d.
struct RuleFields {
  std::string a;
  std::string b;
  std::string c;
  std::string d;
};

enum class RuleField { kA, kB, kC, kD };

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

// Reads a number from a field the way the C library reads a leading integer; an empty
// field or text without a leading number reads as 0.
int ReadRuleNumber(std::string_view field);

// Forms one rule (a:c, a-b:c or a-b:c-d) from the four fields, or says why not.
ComposedRule ComposeRule(const RuleFields& fields);

// Rule list texts are the rules joined by ",".
std::vector<std::string> SplitRuleList(std::string_view text);
std::string JoinRuleList(const std::vector<std::string>& rules);

}  // namespace korvex
