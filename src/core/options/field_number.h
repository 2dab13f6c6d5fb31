#pragma once

#include <string>
#include <string_view>

namespace korvex {

// Number fields of the option dialogs. A field is read whole: blanks around the number
// are allowed, anything else makes it "not a number". Refusals of every such field use
// one wording, naming the allowed range.

// The message for a field that is not a number of the range, or lies outside it.
std::string NumberRangeMessage(double low, double high);
std::string IntegerRangeMessage(long long low, long long high);

// Reads a real from low to high; on failure returns the message and leaves value alone.
std::string ReadRealField(std::string_view text, double low, double high, double& value);
std::string ReadIntegerField(std::string_view text, int low, int high, int& value);

// How number fields show their values: up to 15 significant digits, no trailing zeros
// (1000000, 0.25, 1e+20).
std::string FormatFieldReal(double value);

}  // namespace korvex
