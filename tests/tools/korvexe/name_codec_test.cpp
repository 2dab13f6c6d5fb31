#include "gds/name_codec.h"

#include <gtest/gtest.h>

namespace korvex::gds {
namespace {

TEST(NameCodec, EncodesBytesThatWouldBreakALine) {
  EXPECT_EQ(EncodeName("INV_X1$?"), "INV_X1$?");
  EXPECT_EQ(EncodeName("a b(1)|%"), "a%20b%281%29%7C%25");
  EXPECT_EQ(EncodeName(std::string("caf\xE9\t\0", 6)), "caf%E9%09%00");
}

TEST(NameCodec, DecodeUndoesEncodeForEveryByte) {
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  EXPECT_EQ(DecodeName(EncodeName(all)), all);
}

TEST(NameCodec, DecodeAcceptsLowerCaseHexAndKeepsMalformedSequences) {
  EXPECT_EQ(DecodeName("a%7cb"), "a|b");
  EXPECT_EQ(DecodeName("100%"), "100%");
  EXPECT_EQ(DecodeName("x%4"), "x%4");
  EXPECT_EQ(DecodeName("%G1%%41"), "%G1%A");
  EXPECT_EQ(DecodeName("%2541"), "%41");  // decoded once, not twice
}

const std::vector<std::string> kNames = {
    "TOP",
    "A_VERY_LONG_STRUCTURE_NAME_THAT_GOES_ON_1",
    "A_VERY_LONG_STRUCTURE_NAME_THAT_GOES_ON_2",
    "UNIQUE_LONG_STRUCTURE_NAME_OF_FORTY_CHARS",
    "EXACTLY_THIRTY_FOUR_CHARACTERS_XYZ",
    "EXACTLY_THIRTY_FOUR_CHARACTERS_XYZ_AND_MORE",
};

TEST(ResolveStructureName, ExactNameWinsOverPrefix) {
  const NameResolution r = ResolveStructureName("EXACTLY_THIRTY_FOUR_CHARACTERS_XYZ", kNames);
  ASSERT_TRUE(r.found) << r.error;
  EXPECT_EQ(r.index, 4u);
  EXPECT_EQ(ResolveStructureName("TOP", kNames).index, 0u);
}

TEST(ResolveStructureName, CutNameFindsTheOneLongerName) {
  const NameResolution r = ResolveStructureName(kNames[3].substr(0, 34), kNames);
  ASSERT_TRUE(r.found) << r.error;
  EXPECT_EQ(r.index, 3u);
}

TEST(ResolveStructureName, AmbiguousCutNameNamesEveryCandidate) {
  const NameResolution r = ResolveStructureName(kNames[1].substr(0, 34), kNames);
  EXPECT_FALSE(r.found);
  EXPECT_NE(r.error.find(kNames[1]), std::string::npos) << r.error;
  EXPECT_NE(r.error.find(kNames[2]), std::string::npos) << r.error;
}

TEST(ResolveStructureName, OnlyCutsOfExactly34CharactersArePrefixes) {
  EXPECT_FALSE(ResolveStructureName(kNames[3].substr(0, 33), kNames).found);
  EXPECT_FALSE(ResolveStructureName(kNames[3].substr(0, 35), kNames).found);
  const NameResolution r = ResolveStructureName("NOPE", kNames);
  EXPECT_FALSE(r.found);
  EXPECT_NE(r.error.find("NOPE"), std::string::npos);
}

}  // namespace
}  // namespace korvex::gds
