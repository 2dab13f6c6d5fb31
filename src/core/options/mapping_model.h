#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/job/job_settings.h"
#include "core/options/mapping_table.h"
#include "core/options/outcome.h"
#include "core/options/scrolling.h"

namespace korvex {

// The "Mapping" dialog: every kept layer (or datatype) as a row with its output number,
// shown through 16 slots (8 per column) over a scroll bar. The window shows SlotLabel and
// SlotField of each slot after every action and hands typed text back with SetSlotField.
// A row's field takes a whole number from 0 to 65535; anything else is refused where it is
// taken in (leaving the field, scrolling, rules, OK) with the focus on its slot.
class MappingModel {
 public:
  static constexpr int kSlots = 16;
  // Row fields and the "Map All To" field are read up to this many characters.
  static constexpr std::size_t kFieldWidth = 30;

  // Opens the dialog: builds the table from the settings and the scanned layer (or
  // datatype) names, and shows its first rows.
  MappingModel(MappingKind kind, const JobSettings& settings, const std::vector<std::string>& scanned);

  const MappingTable& Table() const { return m_table; }
  // "Layer" or "Type": the caption under each "Input GDS" and "Output GDS" heading.
  const char* ColumnLabel() const { return MappingKindLabel(m_table.kind); }
  int TopRow() const { return m_topRow; }
  int MaxTopRow() const { return m_maxTopRow; }

  bool SlotHasRow(int slot) const;
  // The row's Input, or empty for a slot without a row.
  std::string SlotLabel(int slot) const;
  const std::string& SlotField(int slot) const { return m_fields[static_cast<std::size_t>(slot)]; }
  void SetSlotField(int slot, std::string text) { m_fields[static_cast<std::size_t>(slot)] = std::move(text); }

  // The short field beside "Map All To".
  std::string mapAllToField;

  // The user left the slot's field: its number becomes the row's Output.
  Outcome<int> LeaveSlot(int slot);
  // Each scroll action takes in the visible rows, then moves; a refused row keeps the view.
  Outcome<int> Scroll(ScrollAction action, int thumb = 0);
  // Nothing happens for an empty field; a field that is not a number from 0 to 65535 is
  // refused (the refusal has no slot: the "Map All To" field is to blame).
  Outcome<int> MapAllTo();
  // The "Map All To" field was left: the same check, an empty field passes.
  Outcome<int> LeaveMapAllTo() const;
  void MapAllToItself();

  // "Advance Rules...": takes in the visible rows; when that passes, the "Mapping Rules"
  // dialog opens on RuleList(), and EndAdvanceRules gets its text when it was confirmed,
  // or nothing when it was cancelled.
  Outcome<int> BeginAdvanceRules();
  const std::string& RuleList() const { return m_table.ruleList; }
  void EndAdvanceRules(const std::optional<std::string>& confirmed);

  // OK: takes in the visible rows and stores the encoded rows in LayerMap or DatatypeMap.
  // An output outside 0 to 65535 (a stored shift can reach one) cannot be written as a
  // rule: the row is scrolled into view, the message names it and the focus goes to its
  // slot; nothing is stored.
  Outcome<int> Ok(JobSettings& settings);

 private:
  Outcome<int> TakeInVisibleRows();
  void FillSlots();

  MappingTable m_table;
  int m_topRow = 0;
  int m_maxTopRow = 0;
  std::array<std::string, kSlots> m_fields;
};

}  // namespace korvex
