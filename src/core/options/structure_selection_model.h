#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/inspect/scan_result.h"
#include "core/options/outcome.h"

namespace korvex {

// The "Structure Selection" window: the sorted list of structures and the structure picked
// in it or typed exactly. Every pick marks that structure's tree in the scan record, read
// from the scan report; only OK makes it the top structure.
class StructureSelectionModel {
 public:
  // Typed text is read up to this many characters; the field holds at most 34.
  static constexpr std::size_t kTypedLength = 127;

  explicit StructureSelectionModel(ScanResult& scan) : m_scan(scan) {}

  // Each time the window is shown: the list is refilled and the top structure is selected.
  void Show();

  // Structure names sorted without regard to case.
  const std::vector<std::string>& Entries() const { return m_entries; }
  const std::string& Selected() const { return m_selected; }

  // The first entry, in list order, that begins with the text regardless of case; none
  // for an empty text.
  std::optional<std::size_t> EntryBeginningWith(std::string_view text) const;

  // The list's selection moved to the entry: it becomes the selected structure and its
  // tree is marked. Refused when the scan report cannot be read.
  Outcome<int> PickEntry(std::size_t entry);

  // The user typed into the field. Only a text naming a structure exactly (letter case
  // included) is taken over; anything else changes nothing.
  struct Typed {
    bool taken = false;
    Outcome<int> outcome;
  };
  Typed Type(std::string_view text);

  // OK makes the selected structure the top one; Cancel keeps the top structure. Both mark
  // its tree again and are refused, leaving the window open, when that cannot be done.
  Outcome<int> Ok();
  Outcome<int> Cancel();

  // "Report...": writes gdsstrct.rpt into reportDirectory for the selected structure from the
  // template gdsstrct.s_s in templateDirectory. The report's path, and whether it was written.
  struct WrittenReport {
    std::string path;
    bool written = false;
  };
  WrittenReport WriteReport(const std::string& reportDirectory, const std::string& templateDirectory) const;

 private:
  Outcome<int> Mark(const std::string& name);

  ScanResult& m_scan;
  std::vector<std::string> m_entries;
  std::string m_selected;
};

// The message shown when the scan report of the record cannot be read.
std::string ScanReportMissingMessage(const std::string& reportFile);

}  // namespace korvex
