#include "core/options/file_list_model.h"

#include "core/options/merge_list.h"
#include "core/support/paths.h"

namespace korvex {

FileListModel::FileListModel(JobSettings& settings) {
  settings.MergeFileList = ReadMergeFileList(settings.WorkingDirectory);
  m_entries = SplitMergeFileList(settings.MergeFileList);
  m_selected.assign(m_entries.size(), false);
}

void FileListModel::SetSelection(std::vector<bool> selected) {
  selected.resize(m_entries.size(), false);
  m_selected = std::move(selected);
}

void FileListModel::Show(int pendingMergeMode, const std::string& inputFile) {
  static const char* const kVerbs[] = {"Merge", "Add", "Blend"};
  m_enabled = pendingMergeMode >= kMergeModeMerge && pendingMergeMode <= kMergeModeBlend;
  if (!m_enabled) {
    m_caption = kFileListOffCaption;
    return;
  }
  m_caption = std::string("Select Files to ") + kVerbs[pendingMergeMode - 1] + " with " +
              SplitPathName(inputFile).name + ".";
}

Outcome<int> FileListModel::AddFiles(const std::vector<std::string>& paths, JobSettings& settings) {
  std::string refused;
  for (const std::string& path : paths) {
    if (!CanCarryMergePath(path)) {
      refused += "\n" + path;
      continue;
    }
    m_entries.push_back(path);
    m_selected.push_back(false);
  }
  Store(settings);
  if (refused.empty()) return Outcome<int>::Accept();
  return Outcome<int>::Refuse("These files cannot be listed because their names hold a double quote"
                              " or a line break:" + refused);
}

void FileListModel::Remove(JobSettings& settings) {
  std::vector<std::string> kept;
  for (std::size_t i = 0; i < m_entries.size(); ++i) {
    if (!m_selected[i]) kept.push_back(m_entries[i]);
  }
  if (kept.size() == m_entries.size()) return;
  m_entries = std::move(kept);
  m_selected.assign(m_entries.size(), false);
  Store(settings);
}

void FileListModel::Store(JobSettings& settings) const { settings.MergeFileList = JoinMergeFileList(m_entries); }

}  // namespace korvex
