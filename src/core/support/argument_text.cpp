#include "core/support/argument_text.h"

namespace korvex {

std::vector<std::string> SplitArgumentText(std::string_view text) {
  std::vector<std::string> arguments;
  std::string current;
  bool inArgument = false;  // an argument has begun, even if it is still empty ("")
  bool quoted = false;
  for (const char c : text) {
    if (c == '"') {
      quoted = !quoted;
      inArgument = true;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (inArgument) {
        arguments.push_back(std::move(current));
        current.clear();
        inArgument = false;
      }
    } else {
      current += c;
      inArgument = true;
    }
  }
  if (inArgument) arguments.push_back(std::move(current));
  return arguments;
}

bool CanQuoteArgument(std::string_view text) { return text.find('"') == std::string_view::npos; }

std::string QuoteArgument(std::string_view text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted += '"';
  quoted += text;
  quoted += '"';
  return quoted;
}

}  // namespace korvex
