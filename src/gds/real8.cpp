#include "gds/real8.h"

#include <cmath>

namespace korvex::gds {

double DecodeReal8(std::uint64_t bits) {
  const std::uint64_t mant = bits & 0x00FFFFFFFFFFFFFFull;
  if (mant == 0) return 0.0;
  const int e16 = static_cast<int>((bits >> 56) & 0x7F) - 64;
  const double v = std::ldexp(static_cast<double>(mant), 4 * e16 - 56);
  return (bits >> 63) ? -v : v;
}

bool EncodeReal8(double value, std::uint64_t& bits) {
  bits = 0;
  if (std::isnan(value) || std::isinf(value)) return false;
  if (value == 0.0) return true;
  std::uint64_t sign = 0;
  if (value < 0) {
    sign = 1;
    value = -value;
  }
  int e2 = 0;
  const double f = std::frexp(value, &e2);  // value = f * 2^e2, 0.5 <= f < 1
  const int e16 = (e2 >= 0) ? (e2 + 3) / 4 : -((-e2) / 4);  // ceil(e2 / 4)
  const int shift = 4 * e16 - e2;                           // 0..3
  std::uint64_t mant = static_cast<std::uint64_t>(std::ldexp(f, 53)) << (3 - shift);
  int biased = e16 + 64;
  if (biased > 127) return false;
  while (biased < 0 && mant != 0) {  // below the normalised range: denormalise
    mant >>= 4;
    ++biased;
  }
  if (mant == 0) return true;
  bits = (sign << 63) | (static_cast<std::uint64_t>(biased) << 56) | mant;
  return true;
}

}  // namespace korvex::gds
