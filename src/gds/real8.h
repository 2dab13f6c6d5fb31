// The 8-byte excess-64 base-16 real of the stream format.
#pragma once

#include <cstdint>

namespace korvex::gds {

// Decodes the 8 big-endian bytes held in `bits` (byte 0 is the most significant). Any value
// whose fraction is zero is 0.0; the only rounding is the conversion of the 56-bit fraction.
double DecodeReal8(std::uint64_t bits);

// Encodes `value` exactly (every finite double in range has an exact form). Returns false for
// NaN, infinity and values too large for the format; `bits` is then 0.
bool EncodeReal8(double value, std::uint64_t& bits);

// A real kept as its stream bits, so that an unchanged value is written back byte for byte.
struct Real8 {
  std::uint64_t bits = 0;

  double value() const { return DecodeReal8(bits); }
  static Real8 FromDouble(double v) {
    Real8 r;
    EncodeReal8(v, r.bits);
    return r;
  }
  bool operator==(const Real8&) const = default;
};

}  // namespace korvex::gds
