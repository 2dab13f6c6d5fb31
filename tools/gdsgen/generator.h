// A deterministic layout generator on the project's own stream writer: a plausible chip-like
// hierarchy of cells with every element kind, seeded, of a chosen size.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "gds/record_writer.h"

namespace korvex::gdsgen {

struct GeneratorOptions {
  std::uint64_t seed = 1;
  std::uint64_t size = 200 * 1024;  // bytes to aim at (the result lands close to it)
  // Hostile but legal content: names with blanks, parentheses, bars, '%' and 8-bit bytes,
  // names longer than 34 characters, non-Manhattan angles, odd magnifications, negative path
  // widths, ELFLAGS and PLEX, layers above 32767.
  bool exotic = false;
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

// "200k", "100M", "1G", "4096": bytes with binary multiples; nullopt when malformed.
std::optional<std::uint64_t> ParseSize(const std::string& text);

}  // namespace korvex::gdsgen
