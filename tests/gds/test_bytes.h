// Helpers that keep the stream tests short: hex text to bytes, and a small library builder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gds/record_writer.h"

namespace korvex::gds::testing {

// "00 06 00 02" -> bytes; blanks and line breaks are ignored.
inline std::vector<std::uint8_t> Hex(const std::string& text) {
  std::vector<std::uint8_t> out;
  int nibble = -1;
  for (char c : text) {
    int v;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    else continue;
    if (nibble < 0) {
      nibble = v;
    } else {
      out.push_back(static_cast<std::uint8_t>(nibble << 4 | v));
      nibble = -1;
    }
  }
  return out;
}

// The minimal library of the format reference: structure TOP with a 1000 x 1000 square.
inline std::vector<std::uint8_t> MinimalLibrary() {
  return Hex(
      "00 06 00 02 02 58 00 1C 01 02 07 E8 00 01 00 02"
      "00 03 00 04 00 05 07 E8 00 01 00 02 00 03 00 04"
      "00 05 00 08 02 06 4C 49 42 00 00 14 03 05 3E 41"
      "89 37 4B C6 A7 F0 39 44 B8 2F A0 9B 5A 54 00 1C"
      "05 02 07 E8 00 01 00 02 00 03 00 04 00 05 07 E8"
      "00 01 00 02 00 03 00 04 00 05 00 08 06 06 54 4F"
      "50 00 00 04 08 00 00 06 0D 02 00 01 00 06 0E 02"
      "00 00 00 2C 10 03 00 00 00 00 00 00 00 00 00 00"
      "00 00 00 00 03 E8 00 00 03 E8 00 00 03 E8 00 00"
      "03 E8 00 00 00 00 00 00 00 00 00 00 00 00 00 04"
      "11 00 00 04 07 00 00 04 04 00");
}

}  // namespace korvex::gds::testing
