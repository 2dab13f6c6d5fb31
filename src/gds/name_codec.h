// Structure names as they travel through the text files between the programs: bytes that could
// break a line format are written as %XX, and names cut to 34 characters by the front end are
// found again by their prefix.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvex::gds {

// The length to which the front end cuts structure names.
inline constexpr std::size_t kShortNameLength = 34;

// Bytes outside 0x21..0x7E and the bytes % ( ) | become %XX (two upper-case hex digits).
std::string EncodeName(std::string_view name);
// The same, appended to `out` (for writers of many names that keep one buffer).
void AppendEncodedName(std::string& out, std::string_view name);

// For free text on one line (paths, messages): only control and 8-bit bytes and % become %XX.
std::string EncodeText(std::string_view text);
void AppendEncodedText(std::string& out, std::string_view text);

// %XX (either case of hex digits) becomes the byte; a % not followed by two hex digits stays
// as it is, so a name that was never encoded comes through unchanged.
std::string DecodeName(std::string_view text);

struct NameResolution {
  bool found = false;
  std::size_t index = 0;  // into the names given
  std::string error;      // when not found: why, naming the candidates when several match
};

// Finds `name` (already decoded) among `names`: an exact match wins; otherwise a name of
// exactly kShortNameLength bytes stands for the one longer name it begins.
NameResolution ResolveStructureName(std::string_view name, const std::vector<std::string>& names);

}  // namespace korvex::gds
