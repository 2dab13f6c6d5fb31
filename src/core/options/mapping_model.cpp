#include "core/options/mapping_model.h"

#include <algorithm>

#include "core/options/map_text.h"
#include "core/options/range_rules.h"

namespace korvex {

MappingModel::MappingModel(MappingKind kind, const JobSettings& settings,
                           const std::vector<std::string>& scanned)
    : m_table(BuildMappingTable(kind, settings, scanned)),
      m_maxTopRow(MaxTopRowFor(static_cast<int>(m_table.rows.size()), kSlots)) {
  FillSlots();
}

bool MappingModel::SlotHasRow(int slot) const {
  return slot >= 0 && slot < kSlots &&
         static_cast<std::size_t>(m_topRow + slot) < m_table.rows.size();
}

std::string MappingModel::SlotLabel(int slot) const {
  if (!SlotHasRow(slot)) return {};
  return std::to_string(m_table.rows[static_cast<std::size_t>(m_topRow + slot)].Input);
}

void MappingModel::FillSlots() {
  for (int s = 0; s < kSlots; ++s) {
    m_fields[static_cast<std::size_t>(s)] =
        SlotHasRow(s) ? std::to_string(m_table.rows[static_cast<std::size_t>(m_topRow + s)].Output)
                      : std::string();
  }
}

void MappingModel::TakeInVisibleRows() {
  for (int s = 0; s < kSlots; ++s) {
    if (!SlotHasRow(s)) continue;
    const std::string& text = m_fields[static_cast<std::size_t>(s)];
    m_table.rows[static_cast<std::size_t>(m_topRow + s)].Output =
        ReadRuleNumber(std::string_view(text).substr(0, kFieldWidth));
  }
}

void MappingModel::Scroll(ScrollAction action, int thumb) {
  TakeInVisibleRows();
  const int top = ScrolledTopRow(action, m_topRow, m_maxTopRow, kSlots, thumb);
  if (top == m_topRow) return;
  m_topRow = top;
  FillSlots();
}

void MappingModel::MapAllTo() {
  if (mapAllToField.empty()) return;
  const int n = ReadRuleNumber(std::string_view(mapAllToField).substr(0, kFieldWidth));
  if (n < kMinRuleNumber || n > kMaxRuleNumber) return;
  for (MappingRow& row : m_table.rows) row.Output = n;
  FillSlots();
}

void MappingModel::MapAllToItself() {
  for (MappingRow& row : m_table.rows) row.Output = row.Input;
  FillSlots();
}

const std::string& MappingModel::BeginAdvanceRules() {
  TakeInVisibleRows();
  return m_table.ruleList;
}

void MappingModel::EndAdvanceRules(const std::optional<std::string>& confirmed) {
  if (!confirmed) return;
  m_table.ruleList = *confirmed;
  if (m_table.ruleList.empty()) return;
  // The list starts as the stored map, so its rules win over values typed since.
  ApplyMapText(m_table, m_table.ruleList);
  FillSlots();
}

Outcome<int> MappingModel::Ok(JobSettings& settings) {
  TakeInVisibleRows();
  for (std::size_t r = 0; r < m_table.rows.size(); ++r) {
    const MappingRow& row = m_table.rows[r];
    if (row.Output >= 0) continue;
    const int index = static_cast<int>(r);
    if (index < m_topRow || index >= m_topRow + kSlots) {
      m_topRow = std::min(index, m_maxTopRow);
      FillSlots();
    }
    return Outcome<int>::Refuse(std::string(ColumnLabel()) + " " + std::to_string(row.Input) +
                                    " has the negative output " + std::to_string(row.Output) +
                                    ".\nOutput numbers must be 0 or more.",
                                index - m_topRow);
  }
  StoredMapText(settings, m_table.kind) = EncodeMapText(m_table);
  return Outcome<int>::Accept();
}

}  // namespace korvex
