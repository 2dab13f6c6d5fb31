#include "lumat/layer_table.h"

#include <algorithm>

namespace korvex::lumat {

void LayerTable::Assign(std::vector<LayerKey> keys) {
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  m_keys = std::move(keys);
  m_layer_start.assign(65537, 0);
  for (LayerKey k : m_keys) ++m_layer_start[LayerOf(k) + 1u];
  for (std::size_t i = 1; i < m_layer_start.size(); ++i) m_layer_start[i] += m_layer_start[i - 1];
}

std::optional<std::uint32_t> LayerTable::SlotOf(LayerKey key) const {
  if (m_keys.empty()) return std::nullopt;
  const auto begin = m_keys.begin() + m_layer_start[LayerOf(key)];
  const auto end = m_keys.begin() + m_layer_start[LayerOf(key) + 1u];
  const auto it = std::lower_bound(begin, end, key);
  if (it == end || *it != key) return std::nullopt;
  return static_cast<std::uint32_t>(it - m_keys.begin());
}

}  // namespace korvex::lumat
