#include "core/options/mapping_model.h"

#include <algorithm>

#include "core/options/field_number.h"
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

namespace {

// A row or "Map All To" field as a number of the one range, or the message saying why not.
std::string ReadNumberField(const std::string& text, int& value) {
  return ReadIntegerField(std::string_view(text).substr(0, MappingModel::kFieldWidth), kMinRuleNumber,
                          kMaxRuleNumber, value);
}

}  // namespace

Outcome<int> MappingModel::LeaveSlot(int slot) {
  if (!SlotHasRow(slot)) return Outcome<int>::Accept();
  int value = 0;
  std::string message = ReadNumberField(m_fields[static_cast<std::size_t>(slot)], value);
  if (!message.empty()) return Outcome<int>::Refuse(std::move(message), slot);
  m_table.rows[static_cast<std::size_t>(m_topRow + slot)].Output = value;
  return Outcome<int>::Accept();
}

Outcome<int> MappingModel::TakeInVisibleRows() {
  for (int s = 0; s < kSlots; ++s) {
    Outcome<int> left = LeaveSlot(s);
    if (!left.accepted) return left;
  }
  return Outcome<int>::Accept();
}

Outcome<int> MappingModel::Scroll(ScrollAction action, int thumb) {
  Outcome<int> taken = TakeInVisibleRows();
  if (!taken.accepted) return taken;
  const int top = ScrolledTopRow(action, m_topRow, m_maxTopRow, kSlots, thumb);
  if (top == m_topRow) return taken;
  m_topRow = top;
  FillSlots();
  return taken;
}

Outcome<int> MappingModel::LeaveMapAllTo() const {
  if (mapAllToField.empty()) return Outcome<int>::Accept();
  int value = 0;
  std::string message = ReadNumberField(mapAllToField, value);
  return message.empty() ? Outcome<int>::Accept() : Outcome<int>::Refuse(std::move(message));
}

Outcome<int> MappingModel::MapAllTo() {
  if (mapAllToField.empty()) return Outcome<int>::Accept();
  int n = 0;
  std::string message = ReadNumberField(mapAllToField, n);
  if (!message.empty()) return Outcome<int>::Refuse(std::move(message));
  for (MappingRow& row : m_table.rows) row.Output = n;
  FillSlots();
  return Outcome<int>::Accept();
}

void MappingModel::MapAllToItself() {
  for (MappingRow& row : m_table.rows) row.Output = row.Input;
  FillSlots();
}

Outcome<int> MappingModel::BeginAdvanceRules() { return TakeInVisibleRows(); }

void MappingModel::EndAdvanceRules(const std::optional<std::string>& confirmed) {
  if (!confirmed) return;
  m_table.ruleList = *confirmed;
  if (m_table.ruleList.empty()) return;
  // The list starts as the stored map, so its rules win over values typed since.
  ApplyMapText(m_table, m_table.ruleList);
  FillSlots();
}

Outcome<int> MappingModel::Ok(JobSettings& settings) {
  Outcome<int> taken = TakeInVisibleRows();
  if (!taken.accepted) return taken;
  for (std::size_t r = 0; r < m_table.rows.size(); ++r) {
    const MappingRow& row = m_table.rows[r];
    if (row.Output >= kMinRuleNumber && row.Output <= kMaxRuleNumber) continue;
    const int index = static_cast<int>(r);
    if (index < m_topRow || index >= m_topRow + kSlots) {
      m_topRow = std::min(index, m_maxTopRow);
      FillSlots();
    }
    return Outcome<int>::Refuse(std::string(ColumnLabel()) + " " + std::to_string(row.Input) + " has the output " +
                                    std::to_string(row.Output) + ".\nOutput numbers run from " +
                                    std::to_string(kMinRuleNumber) + " to " + std::to_string(kMaxRuleNumber) + ".",
                                index - m_topRow);
  }
  StoredMapText(settings, m_table.kind) = EncodeMapText(m_table);
  return Outcome<int>::Accept();
}

}  // namespace korvex
