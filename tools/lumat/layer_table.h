// The layer/datatype pairs of a file, numbered densely ("slots") in ascending order, so that
// drawing can keep per-pair state in plain arrays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace korvex::lumat {

// Layer in the high half, datatype (or text, box, node type) in the low half.
using LayerKey = std::uint32_t;

inline LayerKey MakeLayerKey(std::uint16_t layer, std::uint16_t datatype) {
  return (static_cast<LayerKey>(layer) << 16) | datatype;
}
inline std::uint16_t LayerOf(LayerKey key) { return static_cast<std::uint16_t>(key >> 16); }
inline std::uint16_t DatatypeOf(LayerKey key) { return static_cast<std::uint16_t>(key & 0xFFFF); }

class LayerTable {
 public:
  // Takes the pairs in any order, duplicates allowed.
  void Assign(std::vector<LayerKey> keys);

  std::size_t size() const { return m_keys.size(); }
  LayerKey key(std::uint32_t slot) const { return m_keys[slot]; }
  const std::vector<LayerKey>& keys() const { return m_keys; }
  // Inline: it runs for every shape read.
  std::optional<std::uint32_t> SlotOf(LayerKey key) const {
    if (m_hash.empty()) return std::nullopt;
    for (std::size_t i = Start(key);; i = (i + 1) & (m_hash.size() - 1)) {
      const Entry& e = m_hash[i];
      if (e.key_plus_one == std::uint64_t(key) + 1) return e.slot;
      if (e.key_plus_one == 0) return std::nullopt;
    }
  }

 private:
  // The top bits of the product depend on every bit of the key.
  std::size_t Start(LayerKey key) const { return (std::uint64_t(key) * 0x9E3779B97F4A7C15u) >> m_shift; }

  std::vector<LayerKey> m_keys;
  // Slot by pair, open addressing, at most half full: looked up for every shape read.
  struct Entry {
    std::uint64_t key_plus_one = 0;  // 0: free
    std::uint32_t slot = 0;
  };
  std::vector<Entry> m_hash;
  int m_shift = 64;
};

}  // namespace korvex::lumat
