#include "lumat/layer_table.h"

#include <algorithm>

namespace korvex::lumat {

void LayerTable::Assign(std::vector<LayerKey> keys) {
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  m_keys = std::move(keys);
  m_slots.clear();
  m_slots.reserve(m_keys.size());
  for (std::uint32_t i = 0; i < m_keys.size(); ++i) m_slots.emplace(m_keys[i], i);
}

std::optional<std::uint32_t> LayerTable::SlotOf(LayerKey key) const {
  const auto it = m_slots.find(key);
  if (it == m_slots.end()) return std::nullopt;
  return it->second;
}

}  // namespace korvex::lumat
