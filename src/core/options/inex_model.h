#pragma once

#include <string>
#include <vector>

#include "core/job/job_settings.h"
#include "core/options/mapping_table.h"

namespace korvex {

inline constexpr const char* kInexMergeNotice = "GDS Merger/Adder/Blender is on, include/exclude is disabled.";

// One half of the page: the list box of scanned numbers, the text field holding the list
// as the user typed or picked it, and the "Include"/"Exclude" radio pair (0 or 1).
struct InexChoice {
  std::vector<std::string> entries;
  std::vector<bool> selected;  // one flag per entry
  std::string field;
  int exclude = 0;
};

// The "Include/Exclude" page: which layers and datatypes the engine keeps.
class InexModel {
 public:
  // Construction with the sheet: fields and radios from the settings.
  explicit InexModel(const JobSettings& settings);

  // First display: the list boxes get the scanned layers and datatypes, in scan order,
  // each selected when its field lists it as a whole entry.
  void Open(const std::vector<std::string>& layers, const std::vector<std::string>& datatypes);

  const InexChoice& Choice(MappingKind kind) const { return kind == MappingKind::kLayers ? m_layers : m_datatypes; }
  // Typing changes the field only; the selection does not follow it.
  void SetField(MappingKind kind, std::string text) { Edit(kind).field = std::move(text); }
  // A new selection of the list box rebuilds the field from the selected entries.
  void SetSelection(MappingKind kind, std::vector<bool> selected);
  void SetExclude(MappingKind kind, int exclude) { Edit(kind).exclude = exclude != 0 ? 1 : 0; }

  // "Layers to Include", "Data Types to Exclude", ... after the radio of the kind.
  std::string Caption(MappingKind kind) const;

  // Each time the page becomes visible: in a merge mode every control is disabled and the
  // notice says why.
  void Show(int pendingMergeMode);
  bool ControlsEnabled() const { return m_enabled; }
  const std::string& Notice() const { return m_notice; }

  // The sheet's OK: the four fields as shown, whatever the merge mode.
  void Confirm(JobSettings& settings) const;

 private:
  InexChoice& Edit(MappingKind kind) { return kind == MappingKind::kLayers ? m_layers : m_datatypes; }

  InexChoice m_layers;
  InexChoice m_datatypes;
  bool m_enabled = true;
  std::string m_notice;
};

}  // namespace korvex
