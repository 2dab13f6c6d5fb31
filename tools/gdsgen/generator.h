// A deterministic layout generator on the project's own stream writer: a plausible chip-like
// hierarchy of cells with every element kind, seeded, of a chosen size.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "gds/record_writer.h"

namespace korvex::gdsgen {

// The kinds of hostile but legal content an exotic layout carries. Each can be left out, so a
// check can narrow its layouts to what the programs under test already get right.
enum ExoticFeature : std::uint32_t {
  kHostileNames = 1u << 0,   // blanks, parentheses, bars, '%', 8-bit bytes, more than 34 characters
  kAnyAngle = 1u << 1,       // placements at angles that are not multiples of 90 degrees
  kMagnified = 1u << 2,      // odd magnifications (without it, an exotic layout has no magnification)
  kSharpPaths = 1u << 3,     // acute turns, turn-backs, zero-length segments, repeated points
  kOddWidths = 1u << 4,      // negative (absolute) and zero path widths
  kSkewedArrays = 1u << 5,   // array lattices whose vectors are not along the axes
  kNearLimits = 1u << 6,     // shapes and placements close to the 32-bit coordinate limits
  kFlags = 1u << 7,          // ELFLAGS, PLEX, absolute magnification and angle flags
  kHighLayers = 1u << 8,     // layers above 32767
  kAllExotic = (1u << 9) - 1,
};

struct GeneratorOptions {
  std::uint64_t seed = 1;
  std::uint64_t size = 200 * 1024;  // bytes to aim at (the result lands close to it)
  bool exotic = false;              // add the hostile content named in `exotic_features`
  std::uint32_t exotic_features = kAllExotic;
  std::optional<std::uint32_t> structures;  // override the count derived from the size
  std::string library_name = "KORVEX_DEMO";
  std::uint32_t block = 0;  // pad the file to a multiple of this many bytes (0: none)
};

struct GeneratorStats {
  std::uint64_t bytes = 0;
  std::uint32_t structures = 0;
  std::uint64_t elements = 0;
};

// Writes the layout to `sink`. False with `error` set when writing failed.
bool GenerateLayout(const GeneratorOptions& options, korvex::gds::ByteSink& sink, GeneratorStats& stats,
                    std::string& error);

// "names,angles": the features named in a comma-separated list (see kExoticFeatureNames);
// nullopt when a name is unknown.
std::optional<std::uint32_t> ParseExoticFeatures(const std::string& text);
// The names of the features, in bit order.
extern const char* const kExoticFeatureNames[9];

// "200k", "100M", "1G", "4096": bytes with binary multiples; nullopt when malformed.
std::optional<std::uint64_t> ParseSize(const std::string& text);

}  // namespace korvex::gdsgen
