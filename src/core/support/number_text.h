#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace korvex {

// Fixed-point text of a value with as many decimals as the resolution needs, trailing
// zeros and a trailing point removed, at most width - 1 characters; never "-0".
std::string FormatReal(double value, double resolution, int width);

// The leading decimal integer of a text, as the C library reads it ("12abc" is 12,
// "abc" is 0); leading blanks and a sign are allowed. Values wrap like a 32-bit register.
int LeadingInteger(const std::string& text);

// The leading decimal real of a text ("2.5e3x" is 2500, " 0.35" is 0.35), 0 when there is
// none. Independent of the C locale, which the window framework sets from the user's
// environment (a decimal comma would otherwise turn "0.35" into 0). No "inf", "nan" or hex.
double LeadingReal(std::string_view text);

// "12.3 GB" style text for a byte count (decimal units, as disks and rates are counted).
std::string ByteText(std::uint64_t bytes);

}  // namespace korvex
