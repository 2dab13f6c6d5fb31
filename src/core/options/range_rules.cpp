#include "core/options/range_rules.h"

#include <charconv>
#include <climits>
#include <utility>

#include "core/options/comma_list.h"
#include "core/support/number_text.h"

namespace korvex {

int ReadRuleNumber(std::string_view field) { return LeadingInteger(std::string(field)); }

const char* RuleFieldName(RuleField field) {
  switch (field) {
    case RuleField::kA:
      return "Map Range from";
    case RuleField::kB:
      return "Map Range to";
    case RuleField::kC:
      return "To Range from";
    case RuleField::kD:
      return "To Range to";
  }
  return "";
}

namespace {

bool Optional(RuleField field) { return field == RuleField::kB || field == RuleField::kD; }

// A typed field read whole; nothing for an empty or unreadable one.
std::optional<long long> FieldNumber(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
  if (text.size() > 1 && text[0] == '+') text.remove_prefix(1);
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc::result_out_of_range) return text[0] == '-' ? LLONG_MIN : LLONG_MAX;
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

bool Blank(std::string_view text) { return text.find_first_not_of(" \t") == std::string_view::npos; }

ComposedRule Refuse(std::string message, std::optional<RuleField> focus) {
  ComposedRule rule;
  rule.kind = ComposedRule::Kind::kRefused;
  rule.message = std::move(message);
  rule.focus = focus;
  return rule;
}

std::string Span(long long first, long long last) {
  return first == last ? std::to_string(first) : std::to_string(first) + " to " + std::to_string(last);
}

std::string Numbers(long long count) { return std::to_string(count) + (count == 1 ? " number" : " numbers"); }

}  // namespace

std::string CheckRuleField(RuleField field, std::string_view text) {
  const std::string name = RuleFieldName(field);
  if (Blank(text)) return Optional(field) ? std::string() : name + ": a number is needed.";
  const std::optional<long long> n = FieldNumber(text);
  if (!n) return name + ": '" + std::string(text) + "' is not a number.";
  if (*n < kMinRuleNumber || *n > kMaxRuleNumber) return kRangeLimitMessage;
  return {};
}

ComposedRule ComposeRule(const RuleFields& fields) {
  const std::pair<RuleField, const std::string*> typed[] = {
      {RuleField::kA, &fields.a}, {RuleField::kB, &fields.b}, {RuleField::kC, &fields.c}, {RuleField::kD, &fields.d}};
  for (const auto& [field, text] : typed) {
    std::string message = CheckRuleField(field, *text);
    if (!message.empty()) return Refuse(std::move(message), field);
  }
  const long long a = *FieldNumber(fields.a);
  const long long c = *FieldNumber(fields.c);
  const bool hasB = !Blank(fields.b);
  const bool hasD = !Blank(fields.d);
  const long long b = hasB ? *FieldNumber(fields.b) : a;
  const long long d = hasD ? *FieldNumber(fields.d) : c;
  if (b < a) return Refuse(kRangeOrderMessage, RuleField::kB);
  if (d < c) return Refuse(kRangeOrderMessage, RuleField::kD);
  // A typed last output must fit the source range; an empty one collapses it onto one number.
  if (hasD && d - c != b - a) {
    return Refuse("The target range " + Span(c, d) + " has " + Numbers(d - c + 1) + ", the source range " +
                      Span(a, b) + " has " + Numbers(b - a + 1) +
                      ".\nGive a target range of the same length, or leave To Range to empty to map the "
                      "whole source range to one number.",
                  RuleField::kD);
  }

  ComposedRule rule;
  if (a == c) return rule;  // its first input stays as it is: no rule
  rule.kind = ComposedRule::Kind::kRule;
  const std::string in = std::to_string(a);
  const std::string out = std::to_string(c);
  if (b == a) {
    rule.text = in + ":" + out;
  } else if (hasD) {
    rule.text = in + "-" + std::to_string(b) + ":" + out + "-" + std::to_string(d);
  } else {
    rule.text = in + "-" + std::to_string(b) + ":" + out;
  }
  return rule;
}

std::vector<std::string> SplitRuleList(std::string_view text) { return SplitCommaList(text); }

std::string JoinRuleList(const std::vector<std::string>& rules) { return JoinCommaList(rules); }

}  // namespace korvex
