// What a structure holds, as the merge modes compare definitions of one name from several
// files: its elements as they would be written after the unit rescale (references by the
// name they carry), its STRCLASS and the properties between its elements. Name and dates
// are not content.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "gds/element.h"
#include "korvexe/input_layout.h"

namespace korvex::engine {

// Multiplies every coordinate and length of `e` by `factor`. Throws EngineError naming the
// element of `structure` in the file at `path` when a value would leave the 32-bit range.
void RescaleElement(gds::Element& e, std::int64_t factor, const std::string& structure, const std::string& path);

struct ContentDigest {
  std::uint64_t hash = 0;
  std::uint64_t elements = 0;
  // False when an element cannot be written as it is (it would be left out with a warning):
  // such a definition is never taken for the same as another.
  bool comparable = true;
  bool operator==(const ContentDigest&) const = default;
};

// The digest of structure `s` of `in` with its coordinates times `scale`.
ContentDigest DigestStructure(const InputLayout& in, std::uint32_t s, std::int64_t scale);

// One side of a comparison: a structure of a file and the factor its coordinates take.
struct Definition {
  const InputLayout* file = nullptr;
  std::uint32_t structure = 0;
  std::int64_t scale = 1;
};

// True when both definitions are stored alike byte for byte after their names and take the
// same factor: then their content is the same without reading a single element. False says
// nothing (another writer may store the same content otherwise).
bool SameStoredBytes(const Definition& first, const Definition& later);

// The first thing in which the `later` definition differs from the `first` one, in words for
// the log ("element 3, record XY", "the later definition has 2 more elements"), or nullopt
// when their content is the same byte for byte.
std::optional<std::string> FirstDifference(const Definition& first, const Definition& later);

}  // namespace korvex::engine
