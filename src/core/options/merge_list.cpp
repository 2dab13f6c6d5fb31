#include "core/options/merge_list.h"

#include "core/support/replace_file.h"
#include "core/support/paths.h"
#include "core/support/splitters.h"
#include "core/support/text_file.h"

namespace korvex {

std::string MergeListPath(const std::string& workingDirectory) {
  return JoinPath(workingDirectory, kMergeListName);
}

bool CanCarryMergePath(std::string_view path) {
  return !path.empty() && path.find_first_of("\"\r\n") == std::string_view::npos;
}

std::vector<std::string> SplitMergeFileList(std::string_view mergeFileList) {
  return SplitQuotedList(mergeFileList, kNoLimit);
}

std::string JoinMergeFileList(const std::vector<std::string>& paths) {
  std::string text;
  for (const std::string& path : paths) {
    if (!text.empty()) text += ' ';
    text.append("\"").append(path).append("\"");
  }
  return text;
}

std::string ReadMergeFileList(const std::string& workingDirectory) {
  const std::string path = MergeListPath(workingDirectory);
  if (!FileExists(path)) return {};
  const std::unique_ptr<CTextFile> file = CTextFile::Open(path);
  if (!file) return {};
  std::vector<std::string> paths;
  while (file->ReadLine()) {
    // Lines that MergeFileList cannot carry (blank, or holding a double quote) are left out
    // rather than let them split the list wrongly.
    if (CanCarryMergePath(file->line())) paths.emplace_back(file->line());
  }
  return JoinMergeFileList(paths);
}

std::string MergeListWriteMessage(const std::string& path) {
  return "Error occurred when saving the list of files to merge to\n'" + path + "'.";
}

std::string WriteMergeFileList(const JobSettings& settings) {
  std::string bytes;
  for (const std::string& path : SplitMergeFileList(settings.MergeFileList)) bytes.append(path).append("\r\n");
  const std::string path = MergeListPath(settings.WorkingDirectory);
  return ReplaceFile(path, bytes) ? std::string() : MergeListWriteMessage(path);
}

}  // namespace korvex
