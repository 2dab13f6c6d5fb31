// Counts shapes per layer/datatype pair. Asked once per shape of the file, so a lookup is a
// probe in a small open-addressing table (a layout uses a few hundred pairs at most).
#pragma once

#include <bit>
#include <cstdint>
#include <vector>

#include "gds/layout_summary.h"

namespace korvex::gds {

class PairCounter {
 public:
  void Count(std::uint16_t layer, std::uint16_t datatype, std::uint64_t n = 1) {
    const std::uint32_t key = (std::uint32_t{layer} << 16) | datatype;
    if (slots_.empty()) Grow();
    for (std::size_t i = Hash(key);; i = (i + 1) & (slots_.size() - 1)) {
      Slot& slot = slots_[i];
      if (!slot.used) {
        slot = {true, key, n};
        if (2 * ++used_ > slots_.size()) Grow();
        return;
      }
      if (slot.key == key) {
        slot.count += n;
        return;
      }
    }
  }
  // Every pair counted, by layer then datatype.
  std::vector<PairTotal> Totals() const;

 private:
  struct Slot {
    bool used = false;
    std::uint32_t key = 0;
    std::uint64_t count = 0;
  };
  std::size_t Hash(std::uint32_t key) const {
    return static_cast<std::size_t>((std::uint64_t{key} * 0x9E3779B97F4A7C15ull) >> shift_);
  }
  void Grow();

  std::vector<Slot> slots_;  // a power of two in size, at most half used
  std::size_t used_ = 0;
  int shift_ = 64;
};

}  // namespace korvex::gds
