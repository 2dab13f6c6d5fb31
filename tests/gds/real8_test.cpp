#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "gds/real8.h"

namespace korvex::gds {
namespace {

struct Vector {
  double value;
  std::uint64_t bits;
};

// The round-trip vectors of the format reference.
constexpr Vector kExact[] = {
    {0.0, 0x0000000000000000ull},   {1.0, 0x4110000000000000ull},     {-1.0, 0xC110000000000000ull},
    {0.5, 0x4080000000000000ull},   {0.0625, 0x4010000000000000ull},  {2.0, 0x4120000000000000ull},
    {-2.0, 0xC120000000000000ull},  {10.0, 0x41A0000000000000ull},    {90.0, 0x425A000000000000ull},
    {180.0, 0x42B4000000000000ull}, {270.0, 0x4310E00000000000ull},   {1000.0, 0x433E800000000000ull},
    {0.1, 0x401999999999999Aull},   {1.0 / 3.0, 0x4055555555555554ull}, {0.01, 0x3F28F5C28F5C28F6ull},
    {1e-3, 0x3E4189374BC6A7F0ull},  {-1e-3, 0xBE4189374BC6A7F0ull},   {5e-4, 0x3E20C49BA5E353F8ull},
    {1e-6, 0x3C10C6F7A0B5ED8Dull},  {1e-8, 0x3A2AF31DC4611874ull},    {1e-9, 0x3944B82FA09B5A54ull},
    {1e-10, 0x386DF37F675EF6ECull},
};

TEST(Real8, EncodesAndDecodesTheReferenceVectorsExactly) {
  for (const Vector& v : kExact) {
    std::uint64_t bits = 1;
    ASSERT_TRUE(EncodeReal8(v.value, bits)) << v.value;
    EXPECT_EQ(bits, v.bits) << v.value;
    EXPECT_EQ(DecodeReal8(v.bits), v.value) << std::hex << v.bits;
  }
}

TEST(Real8, DecodesByRoundingNotTruncating) {
  EXPECT_EQ(DecodeReal8(0x3E4189374BC6A7EFull), 0.001);
  EXPECT_EQ(DecodeReal8(0x3944B82FA09B5A51ull), 9.999999999999999e-10);
  EXPECT_NE(DecodeReal8(0x3944B82FA09B5A51ull), 1e-9);
}

TEST(Real8, AnyZeroFractionIsZeroAndUnnormalisedValuesDecode) {
  EXPECT_EQ(DecodeReal8(0x4000000000000000ull), 0.0);
  EXPECT_EQ(DecodeReal8(0x8000000000000000ull), 0.0);
  EXPECT_EQ(DecodeReal8(0x4001000000000000ull), 0.00390625);
  EXPECT_EQ(DecodeReal8(0x0010000000000000ull), std::ldexp(1.0, -260));
}

TEST(Real8, RefusesWhatTheFormatCannotHold) {
  std::uint64_t bits = 0;
  EXPECT_FALSE(EncodeReal8(NAN, bits));
  EXPECT_FALSE(EncodeReal8(INFINITY, bits));
  EXPECT_FALSE(EncodeReal8(1e300, bits));
  EXPECT_TRUE(EncodeReal8(1e-300, bits));  // below the range: becomes zero
  EXPECT_EQ(bits, 0u);
}

TEST(Real8, RandomDoublesInRangeSurviveTheRoundTrip) {
  std::uint64_t state = 12345;
  for (int i = 0; i < 20000; ++i) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    const double v = std::ldexp(1.0 + double(state >> 12) / 4503599627370496.0, int(state % 400) - 200) *
                     ((state & 1) ? -1 : 1);
    std::uint64_t bits = 0;
    ASSERT_TRUE(EncodeReal8(v, bits));
    ASSERT_EQ(DecodeReal8(bits), v);
  }
}

}  // namespace
}  // namespace korvex::gds
