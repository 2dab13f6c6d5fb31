// A layout made by the generator, in memory.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gds/record_writer.h"
#include "gdsgen/generator.h"

namespace korvex::gds::testing {

inline std::vector<std::uint8_t> Generated(std::uint64_t seed, std::uint64_t size, bool exotic) {
  gdsgen::GeneratorOptions o;
  o.seed = seed;
  o.size = size;
  o.exotic = exotic;
  MemorySink sink;
  gdsgen::GeneratorStats stats;
  std::string error;
  EXPECT_TRUE(gdsgen::GenerateLayout(o, sink, stats, error)) << error;
  return sink.bytes;
}

}  // namespace korvex::gds::testing
