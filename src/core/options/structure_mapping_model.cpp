#include "core/options/structure_mapping_model.h"

#include <algorithm>
#include <unordered_map>

#include "core/options/structure_map.h"

namespace korvex {
namespace {

std::string DuplicateMessage(const std::string& candidate, const std::string& holder) {
  return "Structure name '" + candidate + "' already defined for '" + holder +
         "'.\nSpecify a unique output structure name for each structure.";
}

std::string TooLongMessage(const std::string& candidate) {
  return "Output structure name '" + candidate + "' is too long.\nA structure name may have at most " +
         std::to_string(StructureMappingModel::kMaxOutputLength) + " characters.";
}

// Scanned names may be one character longer than an output name may be: a row left as it
// was maps to itself and writes no line, so only a new name must fit.
bool TooLong(const std::string& candidate, const std::string& own) {
  return candidate != own && candidate.size() > StructureMappingModel::kMaxOutputLength;
}

}  // namespace

StructureMappingModel::StructureMappingModel(const JobSettings& settings, std::vector<std::string> structureNames)
    : m_mapPath(StructureMapPath(settings.WorkingDirectory)),
      m_names(std::move(structureNames)),
      m_fields(kRows),
      m_maxTopRow(MaxTopRowFor(static_cast<int>(m_names.size()), kRows)) {
  if (settings.Prune != 0) {
    m_notice = kStructureMappingPruneNotice;
    m_okEnabled = false;
  }
  m_outputs = ReadStructureMap(m_mapPath, m_names);
  FillRows();
}

bool StructureMappingModel::RowShowsStructure(int row) const {
  return row >= 0 && row < kRows && StructureOf(row) < m_names.size();
}

bool StructureMappingModel::RowEnabled(int row) const { return RowShowsStructure(row); }

std::string StructureMappingModel::RowName(int row) const {
  return RowShowsStructure(row) ? m_names[StructureOf(row)] : std::string();
}

void StructureMappingModel::FillRows() {
  for (int r = 0; r < kRows; ++r) {
    m_fields[static_cast<std::size_t>(r)] = RowShowsStructure(r) ? m_outputs[StructureOf(r)] : std::string();
  }
}

Outcome<int> StructureMappingModel::LeaveField(int row) {
  if (!RowShowsStructure(row)) return Outcome<int>::Accept();
  std::string& field = m_fields[static_cast<std::size_t>(row)];
  if (TooLong(field, m_names[StructureOf(row)])) return Outcome<int>::Refuse(TooLongMessage(field), row);
  if (field.empty()) field = m_names[StructureOf(row)];
  m_outputs[StructureOf(row)] = field;
  return Outcome<int>::Accept();
}

Outcome<int> StructureMappingModel::CheckVisibleRows() {
  for (int r = 0; r < kRows && RowShowsStructure(r); ++r) {
    const std::size_t self = StructureOf(r);
    const std::string& field = m_fields[static_cast<std::size_t>(r)];
    const std::string candidate = field.empty() ? m_names[self] : field;
    if (TooLong(candidate, m_names[self])) return Outcome<int>::Refuse(TooLongMessage(candidate), r);
    for (std::size_t other = 0; other < m_outputs.size(); ++other) {
      if (other != self && m_outputs[other] == candidate) {
        return Outcome<int>::Refuse(DuplicateMessage(candidate, m_names[other]), r);
      }
    }
    m_outputs[self] = candidate;
  }
  return Outcome<int>::Accept();
}

Outcome<int> StructureMappingModel::Scroll(ScrollAction action, int thumb) {
  if (action == ScrollAction::kEndScroll || action == ScrollAction::kThumbPosition) {
    return Outcome<int>::Accept();
  }
  Outcome<int> check = CheckVisibleRows();
  if (!check.accepted) return check;
  const int top = ScrolledTopRow(action, m_topRow, m_maxTopRow, kRows, thumb);
  if (top != m_topRow) {
    m_topRow = top;
    FillRows();
  }
  return check;
}

void StructureMappingModel::ScrollTo(std::size_t structure) {
  const int index = static_cast<int>(structure);
  if (index >= m_topRow && index < m_topRow + kRows) return;
  m_topRow = std::min(index, m_maxTopRow);
  FillRows();
}

// Output names that came from korvex.smp may never have been on screen: a clash or an
// over-long name there would otherwise reach the engine unchecked.
Outcome<int> StructureMappingModel::CheckAllStructures() {
  std::unordered_map<std::string_view, std::size_t> firstHolder;
  for (std::size_t i = 0; i < m_outputs.size(); ++i) firstHolder.emplace(m_outputs[i], i);
  for (std::size_t i = 0; i < m_outputs.size(); ++i) {
    const std::string& output = m_outputs[i];
    std::string message;
    if (TooLong(output, m_names[i])) {
      message = TooLongMessage(output);
    } else if (const std::size_t holder = firstHolder.at(output); holder != i) {
      message = DuplicateMessage(output, m_names[holder]);
    }
    if (message.empty()) continue;
    ScrollTo(i);
    return Outcome<int>::Refuse(message, static_cast<int>(i) - m_topRow);
  }
  return Outcome<int>::Accept();
}

Outcome<int> StructureMappingModel::Ok() {
  if (!m_okEnabled) return Outcome<int>::Refuse({});
  Outcome<int> check = CheckVisibleRows();
  if (!check.accepted) return check;
  check = CheckAllStructures();
  if (!check.accepted) return check;
  const std::string failure = WriteStructureMap(m_mapPath, m_names, m_outputs);
  if (!failure.empty()) return Outcome<int>::Refuse(failure);
  return check;
}

}  // namespace korvex
