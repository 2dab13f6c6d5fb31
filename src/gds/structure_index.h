// Where each structure lies in a stream: one fast pass over the record headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "gds/diagnostics.h"

namespace korvex::gds {

struct StructureEntry {
  std::string name;
  std::uint64_t offset = 0;  // of BGNSTR
  std::uint64_t end = 0;     // just after ENDSTR (or where the structure stopped)
};

struct StringHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

class StructureIndex {
 public:
  // Indexes `data`; problems go to `diagnostics` (a fatal one ends the index where it arose).
  void Build(const std::uint8_t* data, std::size_t size, Diagnostics& diagnostics);

  const std::vector<StructureEntry>& entries() const { return entries_; }
  // The first structure of that name, in file order.
  std::optional<std::size_t> Find(std::string_view name) const;

 private:
  std::vector<StructureEntry> entries_;
  std::unordered_map<std::string, std::size_t, StringHash, std::equal_to<>> by_name_;
};

}  // namespace korvex::gds
