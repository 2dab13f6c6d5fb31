#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// One layer/datatype pair met in the written tree, as the engine's log reports it:
// "Pair 8/0 -> 108/0: 1234 in, 1234 out" or "Pair 9/0 -> dropped: 56 in".
struct PairCount {
  int layer = 0;
  int datatype = 0;
  bool dropped = false;
  int newLayer = 0;
  int newDatatype = 0;
  std::uint64_t in = 0;
  std::uint64_t out = 0;
};

// The pair lines of a log, in log order; every other line (and a pair line that does not
// read whole) is passed over.
std::vector<PairCount> ReadPairCounts(std::string_view log);

// The structures a log reports renamed: the text after "Renamed: " ("OLD -> NEW"), in order.
std::vector<std::string> ReadRenames(std::string_view log);

}  // namespace korvex
