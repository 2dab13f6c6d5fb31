#include "ui/job_file_move.h"

#include <filesystem>

#include "core/support/paths.h"
#include "core/support/side_file_path.h"

namespace korvex {

bool MoveJobFile(const std::string& oldDirectory, const std::string& newDirectory, const std::string& inputFile) {
  if (oldDirectory == newDirectory || inputFile.empty()) return false;
  const std::string from = SideFilePath(oldDirectory, inputFile, ".job");
  const std::string to = SideFilePath(newDirectory, inputFile, ".job");
  std::error_code error;
  if (!std::filesystem::is_regular_file(from, error)) return false;
  // Two spellings of one folder ("/w" and "/w/", a link, a folder on a file system that
  // ignores case): copying the file onto itself and deleting it would lose it.
  if (std::filesystem::equivalent(oldDirectory, newDirectory, error)) return false;
  if (!std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error)) return false;
  std::filesystem::remove(from, error);
  return !error;
}

}  // namespace korvex
