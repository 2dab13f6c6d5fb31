// A value per layer/datatype pair ((layer << 16) | datatype). Asked once per shape, so a lookup
// is a probe in a small open-addressing table (a layout uses a few hundred pairs at most).
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <vector>

namespace korvex::gds {

template <typename Value>
class PairMap {
 public:
  // The value of `key`, value-initialised (and `fresh` set) when the key is new.
  Value& At(std::uint32_t key, bool& fresh) {
    fresh = false;
    if (!slots_.empty()) {
      for (std::size_t i = Hash(key);; i = (i + 1) & (slots_.size() - 1)) {
        Slot& slot = slots_[i];
        if (slot.used && slot.key == key) return slot.value;
        if (!slot.used) break;
      }
    }
    fresh = true;
    return Insert(key);
  }
  Value& At(std::uint32_t key) {
    bool fresh;
    return At(key, fresh);
  }
  // Calls f(key, value) for every pair, in no set order.
  template <typename F>
  void ForEach(F&& f) const {
    for (const Slot& slot : slots_)
      if (slot.used) f(slot.key, slot.value);
  }
  template <typename F>
  void ForEach(F&& f) {
    for (Slot& slot : slots_)
      if (slot.used) f(slot.key, slot.value);
  }

 private:
  struct Slot {
    bool used = false;
    std::uint32_t key = 0;
    Value value{};
  };
  // The top bits of a multiplicative hash: layer and datatype both reach them.
  std::size_t Hash(std::uint32_t key) const {
    return static_cast<std::size_t>((std::uint64_t{key} * 0x9E3779B97F4A7C15ull) >> shift_);
  }
  Value& Insert(std::uint32_t key) {
    if (2 * (used_ + 1) > slots_.size()) {
      std::vector<Slot> old(std::max<std::size_t>(64, 2 * slots_.size()));
      old.swap(slots_);
      used_ = 0;
      shift_ = 64 - std::countr_zero(slots_.size());
      for (Slot& slot : old)
        if (slot.used) Insert(slot.key) = std::move(slot.value);
    }
    std::size_t i = Hash(key);
    while (slots_[i].used) i = (i + 1) & (slots_.size() - 1);
    slots_[i].used = true;
    slots_[i].key = key;
    slots_[i].value = Value{};
    ++used_;
    return slots_[i].value;
  }

  std::vector<Slot> slots_;  // a power of two in size, at most half used
  std::size_t used_ = 0;
  int shift_ = 64;  // 64 less the bits of a slot index
};

}  // namespace korvex::gds
