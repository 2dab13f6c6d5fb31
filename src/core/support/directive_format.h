#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace korvex {

// A value that a report directive fills into its text.
using DirectiveValue = std::variant<long long, std::string>;

// Applies a printf-style format taken from a template file to the given values. The format
// is checked first, conversion by conversion: integer conversions (d i u o x X c) take an
// integer value, %s takes a text, %% is a percent sign. A format that asks for anything else
// (%n, %f, %*d, a text where a number goes, more conversions than values) is not applied at
// all: the result is the format itself, unformatted. Values beyond the conversions are left
// out, as printf does. The result keeps at most maxLength characters.
std::string FormatDirective(std::string_view format, const std::vector<DirectiveValue>& values,
                            std::size_t maxLength);

}  // namespace korvex
