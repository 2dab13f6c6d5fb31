#pragma once

#include <string>
#include <vector>

#include "core/job/job_settings.h"
#include "core/options/outcome.h"

namespace korvex {

inline constexpr const char* kAddFilesTitle = "Add GDS Files";
inline constexpr const char* kFileListOffCaption = "GDS Merger/Adder/Blender can be turned on in Configuration.";

// The "Files to Merge/Add/Blend" page. Adding and removing change MergeFileList at once,
// even when the sheet is then cancelled; each new sheet starts again from korvex.lst.
class FileListModel {
 public:
  // Construction with the sheet: MergeFileList is rebuilt from korvex.lst in the working
  // directory, and the list box shows its paths.
  explicit FileListModel(JobSettings& settings);

  const std::vector<std::string>& Entries() const { return m_entries; }
  const std::vector<bool>& Selected() const { return m_selected; }
  void SetSelection(std::vector<bool> selected);

  // Each time the page becomes visible: the caption names the input file in a merge mode,
  // and the list and both buttons are enabled only then.
  void Show(int pendingMergeMode, const std::string& inputFile);
  const std::string& Caption() const { return m_caption; }
  bool ControlsEnabled() const { return m_enabled; }

  // "Add Files...": appends the chosen full paths in the order given (a path already
  // listed is listed again). A path that the list cannot carry is refused with a message
  // naming it; the others are still added.
  Outcome<int> AddFiles(const std::vector<std::string>& paths, JobSettings& settings);
  // "Remove": drops every selected entry.
  void Remove(JobSettings& settings);

 private:
  void Store(JobSettings& settings) const;

  std::vector<std::string> m_entries;
  std::vector<bool> m_selected;
  std::string m_caption;
  bool m_enabled = false;
};

}  // namespace korvex
