#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/job/profile_store.h"

namespace korvex {

// The most recently used input files, newest first, kept in the profile store's
// "Recent File List" section as File1 to File4.
class RecentFileList {
 public:
  static constexpr std::size_t kCapacity = 4;
  static constexpr const char* kSection = "Recent File List";

  // Replaces the list by what the store holds; empty entries are skipped.
  void Load(ProfileStore& store);
  // Writes every slot (an empty text for an unused one) and puts the store back on its section.
  void Save(ProfileStore& store) const;

  // Puts the path first; a path already listed moves up, the oldest falls off.
  void Add(const std::string& path);
  void Remove(const std::string& path);
  const std::vector<std::string>& Files() const { return m_files; }

 private:
  std::vector<std::string> m_files;
};

// The menu text of an entry: its number as mnemonic, then the path.
std::string RecentFileMenuText(std::size_t index, const std::string& path);

}  // namespace korvex
