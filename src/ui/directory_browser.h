#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// What the Directory dialog browses: one current directory, its subdirectories, and moves
// by name or by a typed path. It never changes the process's own current directory.
class DirectoryBrowser {
 public:
  explicit DirectoryBrowser(std::string start, std::string home = {});

  const std::string& Current() const { return m_current; }

  // Names of the subdirectories, sorted; ".." first unless the current directory is the root.
  std::vector<std::string> Subdirectories() const;

  // Moves to a path, absolute or relative to the current directory ("~" is the home
  // folder). False, and no move, when it is not an existing directory.
  bool MoveTo(std::string_view path);

 private:
  std::string m_current;
  std::string m_home;
};

// The places that stand for drives: the root, the home folder, and the mounted volumes
// (mount points under /media, /run/media and /mnt) of a mount table in the /proc/mounts form.
std::vector<std::string> VolumePlaces(std::string_view mountTable, const std::string& home);

// The mount table of this system.
std::string ReadMountTable();

}  // namespace korvex
