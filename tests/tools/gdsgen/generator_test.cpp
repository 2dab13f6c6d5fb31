#include <gtest/gtest.h>

#include <filesystem>
#include <cmath>
#include <limits>
#include <set>

#include "../quarn/run_program.h"
#include "gds/hierarchy.h"
#include "gds/layout_summary.h"
#include "gds/stream_reader.h"
#include "gdsgen/generator.h"

namespace korvex::gdsgen {
namespace {

using gds::Element;
using gds::ElementKind;

std::vector<std::uint8_t> Generate(std::uint64_t seed, std::uint64_t size, bool exotic = false) {
  GeneratorOptions o;
  o.seed = seed;
  o.size = size;
  o.exotic = exotic;
  gds::MemorySink sink;
  GeneratorStats stats;
  std::string error;
  EXPECT_TRUE(GenerateLayout(o, sink, stats, error)) << error;
  EXPECT_EQ(stats.bytes, sink.bytes.size());
  return sink.bytes;
}

// What a layout holds, gathered element by element.
struct Census {
  std::size_t structures = 0;
  std::set<std::string> names;
  std::set<ElementKind> kinds;
  std::set<int> pathtypes;
  std::set<std::uint16_t> layers;
  std::size_t min_boundary_points = 1000000, max_boundary_points = 0;
  bool reflected = false, rotated = false, magnified = false, odd_angle = false, properties = false;
  bool negative_width = false, flags = false, high_layer = false;
  std::size_t warnings = 0;
};

Census Count(const std::vector<std::uint8_t>& bytes) {
  Census c;
  gds::Diagnostics diagnostics;
  gds::StreamReader reader(bytes.data(), bytes.size(), diagnostics);
  gds::LibraryHeader header;
  EXPECT_TRUE(reader.ReadLibraryHeader(header));
  Element e;
  while (reader.NextStructure()) {
    ++c.structures;
    c.names.insert(reader.structure().name);
    while (reader.NextElement(e)) {
      c.kinds.insert(e.kind);
      if (e.layer) {
        c.layers.insert(*e.layer);
        c.high_layer |= *e.layer >= 32768;
      }
      if (e.kind == ElementKind::kPath) c.pathtypes.insert(e.pathtype.value_or(0));
      if (e.kind == ElementKind::kBoundary) {
        c.min_boundary_points = std::min(c.min_boundary_points, e.xy.size());
        c.max_boundary_points = std::max(c.max_boundary_points, e.xy.size());
        EXPECT_EQ(e.xy.front(), e.xy.back());
      }
      if (e.kind == ElementKind::kSRef || e.kind == ElementKind::kARef) {
        c.reflected |= e.reflected();
        const double a = e.angle_degrees();
        c.rotated |= a != 0;
        c.odd_angle |= a != 90.0 * static_cast<int>(a / 90.0);
        c.magnified |= e.magnification() != 1.0;
      }
      c.properties |= !e.properties.empty();
      c.negative_width |= e.width.value_or(0) < 0;
      c.flags |= e.elflags.has_value() || e.plex.has_value();
    }
  }
  EXPECT_TRUE(reader.saw_endlib());
  c.warnings = diagnostics.warning_count();
  return c;
}

TEST(Generator, IsDeterministicPerSeed) {
  EXPECT_EQ(Generate(1, 50000), Generate(1, 50000));
  EXPECT_NE(Generate(1, 50000), Generate(2, 50000));
}

TEST(Generator, LandsCloseToTheRequestedSize) {
  for (std::uint64_t size : {4000ull, 50000ull, 200000ull * 1024 / 1000, 3000000ull}) {
    const double got = static_cast<double>(Generate(9, size).size());
    EXPECT_NEAR(got / static_cast<double>(size), 1.0, 0.1) << size;
  }
}

TEST(Generator, TheExampleLayoutLooksLikeASmallChip) {
  const auto bytes = Generate(1, 200 * 1024);
  const Census c = Count(bytes);
  EXPECT_EQ(c.warnings, 0u);
  EXPECT_GE(c.structures, 24u);
  EXPECT_LE(c.structures, 60u);
  EXPECT_TRUE(c.names.count("TOP"));
  EXPECT_EQ(c.kinds.size(), 7u);
  EXPECT_EQ(c.pathtypes, (std::set<int>{0, 1, 2, 4}));
  EXPECT_GE(c.layers.size(), 20u);
  EXPECT_GE(c.min_boundary_points, 4u);
  EXPECT_LE(c.max_boundary_points, 200u);
  EXPECT_TRUE(c.reflected && c.rotated && c.magnified && c.properties);
  EXPECT_FALSE(c.odd_angle || c.negative_width || c.high_layer);

  gds::Diagnostics diagnostics;
  gds::LayoutSummary summary;
  ASSERT_TRUE(gds::Summarize(bytes.data(), bytes.size(), diagnostics, summary));
  const gds::Hierarchy h = gds::ResolveHierarchy(summary);
  std::size_t independent = 0;
  std::uint32_t depth = 0;
  for (std::uint32_t i : summary.listed) {
    if (!h.referenced[i]) ++independent;
    depth = std::max(depth, h.depth[i]);
  }
  EXPECT_EQ(independent, 1u);
  EXPECT_GE(depth, 3u);
  EXPECT_EQ(h.cycle_count, 0u);
  EXPECT_TRUE(h.undefined.empty());
}

TEST(Generator, ExoticLayoutsCarryHostileButLegalContent) {
  const Census c = Count(Generate(4, 400000, true));
  EXPECT_EQ(c.warnings, 0u);
  EXPECT_TRUE(c.odd_angle && c.negative_width && c.flags && c.high_layer);
  EXPECT_TRUE(c.names.count("TOP (exotic)"));
  const bool odd_name = std::any_of(c.names.begin(), c.names.end(), [](const std::string& n) {
    return n.find_first_of(" ()|%\xC3") != std::string::npos;
  });
  EXPECT_TRUE(odd_name);
}

// What the cross-check with KLayout relies on the exotic layouts to hold.
TEST(Generator, ExoticLayoutsCoverWhatTheCrossCheckNeeds) {
  const auto bytes = Generate(7, 600000, true);
  gds::Diagnostics diagnostics;
  gds::StreamReader reader(bytes.data(), bytes.size(), diagnostics);
  gds::LibraryHeader header;
  ASSERT_TRUE(reader.ReadLibraryHeader(header));
  std::set<int> sharp_pathtypes;
  bool any_angle = false, odd_mag = false, skewed = false, repeated_point = false, turn_back = false;
  std::int64_t nearest_limit = std::numeric_limits<std::int64_t>::max();
  Element e;
  while (reader.NextStructure()) {
    while (reader.NextElement(e)) {
      for (const gds::Point& p : e.xy)
        nearest_limit = std::min<std::int64_t>({nearest_limit, 2147483647ll - std::abs(std::int64_t(p.x)),
                                  2147483647ll - std::abs(std::int64_t(p.y))});
      if (e.kind == ElementKind::kSRef || e.kind == ElementKind::kARef) {
        any_angle |= std::fmod(e.angle_degrees(), 90.0) != 0.0;
        odd_mag |= e.magnification() != 1.0 && e.magnification() != 2.0 && e.magnification() != 0.5;
      }
      if (e.kind == ElementKind::kARef)
        skewed |= e.xy[1].y != e.xy[0].y || e.xy[2].x != e.xy[0].x;
      if (e.kind != ElementKind::kPath) continue;
      bool sharp = false;
      for (std::size_t i = 1; i < e.xy.size(); ++i) {
        repeated_point |= e.xy[i] == e.xy[i - 1];
        if (i + 1 == e.xy.size()) continue;
        // A turn of more than 90 degrees: the two segments point against each other.
        const std::int64_t ax = e.xy[i].x - e.xy[i - 1].x, ay = e.xy[i].y - e.xy[i - 1].y;
        const std::int64_t bx = e.xy[i + 1].x - e.xy[i].x, by = e.xy[i + 1].y - e.xy[i].y;
        sharp |= ax * bx + ay * by < 0;
        turn_back |= ax * bx + ay * by < 0 && ax * by == ay * bx;
      }
      if (sharp) sharp_pathtypes.insert(e.pathtype.value_or(0));
    }
  }
  EXPECT_EQ(diagnostics.warning_count(), 0u);
  EXPECT_TRUE(any_angle && odd_mag && skewed && repeated_point && turn_back);
  EXPECT_EQ(sharp_pathtypes, (std::set<int>{0, 1, 2, 4}));
  EXPECT_LT(nearest_limit, 1000000);
}

TEST(Generator, ExoticFeaturesCanBeLeftOut) {
  GeneratorOptions o;
  o.seed = 7;
  o.size = 300000;
  o.exotic = true;
  o.exotic_features = kAllExotic & ~kNearLimits & ~kAnyAngle;
  gds::MemorySink sink;
  GeneratorStats stats;
  std::string error;
  ASSERT_TRUE(GenerateLayout(o, sink, stats, error)) << error;
  const Census c = Count(sink.bytes);
  EXPECT_FALSE(c.odd_angle);
  EXPECT_TRUE(c.magnified);
  EXPECT_TRUE(c.negative_width && c.flags && c.high_layer);
  o.exotic_features = kHostileNames;
  sink.bytes.clear();
  ASSERT_TRUE(GenerateLayout(o, sink, stats, error)) << error;
  const Census plain = Count(sink.bytes);
  EXPECT_FALSE(plain.magnified || plain.odd_angle || plain.negative_width || plain.flags || plain.high_layer);
  EXPECT_TRUE(plain.rotated && plain.reflected);

  EXPECT_EQ(ParseExoticFeatures("angles,limits"), kAnyAngle | kNearLimits);
  EXPECT_EQ(ParseExoticFeatures("names"), kHostileNames);
  EXPECT_FALSE(ParseExoticFeatures("angles,"));
  EXPECT_FALSE(ParseExoticFeatures("corners"));
}

TEST(ParseSize, ReadsBinaryMultiples) {
  EXPECT_EQ(ParseSize("4096"), 4096u);
  EXPECT_EQ(ParseSize("200k"), 200u * 1024);
  EXPECT_EQ(ParseSize("100M"), 100u * 1024 * 1024);
  EXPECT_EQ(ParseSize("1G"), 1024ull * 1024 * 1024);
  EXPECT_EQ(ParseSize("2GB"), 2048ull * 1024 * 1024);
  EXPECT_FALSE(ParseSize(""));
  EXPECT_FALSE(ParseSize("k"));
  EXPECT_FALSE(ParseSize("12x"));
  EXPECT_FALSE(ParseSize("99999999999999999999"));
}

TEST(GdsgenProgram, WritesTheExampleWithTheReadmeCommandLine) {
  const auto out = std::filesystem::temp_directory_path() / ("gdsgen_test_" + std::to_string(::getpid()) + ".gds");
  const std::string program = std::string(KORVEX_BIN_DIR) + "/gdsgen";
  auto run = korvex::testing::RunProgram({program, "--seed", "1", "--size", "200k", "-o", out.string()});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(std::filesystem::file_size(out), Generate(1, 200 * 1024).size());
  std::filesystem::remove(out);
  run = korvex::testing::RunProgram({program, "--seed", "1", "--size", "lots", "-o", out.string()});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("bad size"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace korvex::gdsgen
