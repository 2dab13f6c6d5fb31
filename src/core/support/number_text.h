#pragma once

#include <string>

namespace korvex {

// Fixed-point text of a value with as many decimals as the resolution needs, trailing
// zeros and a trailing point removed, at most width - 1 characters; never "-0".
std::string FormatReal(double value, double resolution, int width);

// The leading decimal integer of a text, as the C library reads it ("12abc" is 12,
// "abc" is 0); leading blanks and a sign are allowed. Values wrap like a 32-bit register.
int LeadingInteger(const std::string& text);

// The standard text-to-real conversion: the leading number, 0 when there is none.
double LeadingReal(const std::string& text);

}  // namespace korvex
