#include "lumat/layer_table.h"

#include <algorithm>

namespace korvex::lumat {

void LayerTable::Assign(std::vector<LayerKey> keys) {
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  m_keys = std::move(keys);
  std::size_t size = 8;
  m_shift = 64 - 3;
  while (size < 2 * m_keys.size()) {
    size *= 2;
    --m_shift;
  }
  m_hash.assign(size, Entry{});
  for (std::uint32_t slot = 0; slot < m_keys.size(); ++slot) {
    std::size_t i = Start(m_keys[slot]);
    while (m_hash[i].key_plus_one != 0) i = (i + 1) & (size - 1);
    m_hash[i] = {std::uint64_t(m_keys[slot]) + 1, slot};
  }
}

}  // namespace korvex::lumat
