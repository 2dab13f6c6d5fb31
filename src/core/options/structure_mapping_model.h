#pragma once

#include <string>
#include <vector>

#include "core/job/job_settings.h"
#include "core/options/outcome.h"
#include "core/options/scrolling.h"

namespace korvex {

inline constexpr const char* kStructureMappingPruneNotice =
    "Structure Mapping is disabled when 'Trim Off Empty Trees' is turned on.";

// The "Structures Mapping" dialog: each structure of the scan beside its output name, ten
// rows at a time over a scroll bar. Refusals focus the output field of a visible row.
class StructureMappingModel {
 public:
  static constexpr int kRows = 10;
  static constexpr std::size_t kMaxOutputLength = 33;

  // Opens the dialog: every output name starts as its structure's name, then korvex.smp
  // in the working directory renames what it lists.
  StructureMappingModel(const JobSettings& settings, std::vector<std::string> structureNames);

  // Shown at opening when Prune is set; OK then stays disabled.
  const std::string& Notice() const { return m_notice; }
  bool OkEnabled() const { return m_okEnabled; }

  int TopRow() const { return m_topRow; }
  int MaxTopRow() const { return m_maxTopRow; }
  bool RowEnabled(int row) const;  // rows without a structure are disabled
  std::string RowName(int row) const;
  const std::string& RowField(int row) const { return m_fields[static_cast<std::size_t>(row)]; }
  void SetRowField(int row, std::string text) { m_fields[static_cast<std::size_t>(row)] = std::move(text); }
  const std::vector<std::string>& OutputNames() const { return m_outputs; }

  // The output field of the row lost the focus: its text becomes the output name, an
  // empty field gets the structure's own name back. A new name longer than 33 characters
  // is refused; a structure's own name is not, whatever its length.
  Outcome<int> LeaveField(int row);
  // Takes in the visible rows, each refused when its name is already the output of
  // another structure or is a new name that is too long.
  Outcome<int> CheckVisibleRows();
  // Scrolling first checks the visible rows; the view does not move when that fails.
  Outcome<int> Scroll(ScrollAction action, int thumb = 0);
  // OK: checks, then writes korvex.smp (or deletes it when nothing is renamed). A failure
  // keeps the dialog open; a write failure has no field to focus. While OK is disabled it
  // is refused without a message.
  Outcome<int> Ok();

 private:
  bool RowShowsStructure(int row) const;
  std::size_t StructureOf(int row) const { return static_cast<std::size_t>(m_topRow + row); }
  void FillRows();
  void ScrollTo(std::size_t structure);
  Outcome<int> CheckAllStructures();

  std::string m_mapPath;
  std::vector<std::string> m_names;
  std::vector<std::string> m_outputs;
  std::vector<std::string> m_fields;
  std::string m_notice;
  bool m_okEnabled = true;
  int m_topRow = 0;
  int m_maxTopRow = 0;
};

}  // namespace korvex
