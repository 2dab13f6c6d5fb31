#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// Splits an argument text into the argument list of a child process, the one rule every
// companion command line follows: blanks and tabs separate arguments; a double quote
// toggles quoting and is itself removed, so "a b" is one argument, "" an empty one and
// x"y z" the single argument xy z; every other character, backslash included, is literal.
std::vector<std::string> SplitArgumentText(std::string_view text);

// A path can travel inside double quotes only when it holds none itself.
bool CanQuoteArgument(std::string_view text);

// The text in double quotes, ready to be put into an argument text.
std::string QuoteArgument(std::string_view text);

}  // namespace korvex
