#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "core/job/ini_document.h"
#include "core/support/replace_file.h"

namespace korvex {

// The named store through which settings survive between runs: an INI file in the user's
// configuration folder. Reads come from the file as it was when the store was opened;
// writes are collected and put in place whole at Close, so a crash never leaves half a file.
class ProfileStore {
 public:
  // Folder of the store files: $XDG_CONFIG_HOME/Helvorn, or ~/.config/Helvorn.
  static std::string ConfigDirectory();

  ProfileStore() = default;
  explicit ProfileStore(std::string directory) : m_directory(std::move(directory)) {}

  // "Korvex" opens Korvex.ini, section [Korvex]; "File\\Section" names both.
  bool Open(std::string_view storeName);
  // Any INI file of the same syntax (a job file): with readExisting, what the file holds is
  // read first; without it the file is written anew at Close. False when an existing file
  // cannot be read.
  bool OpenFile(const std::string& path, std::string_view section, bool readExisting);
  // The file held the section when it was opened.
  bool HasSection() const { return m_document.HasSection(m_section); }
  // Writes the file when anything was written; false when that failed (nothing replaced).
  bool Close();
  bool IsOpen() const { return m_open; }
  const std::string& FilePath() const { return m_path; }

  void UseSection(std::string_view section) { m_section = section; }
  const std::string& Section() const { return m_section; }

  // A stored empty value reads as an empty text; a missing key fails and leaves out alone.
  // Texts longer than capacity - 1 characters are cut.
  bool ReadText(std::string_view key, std::string& out, std::size_t capacity) const;
  // Succeeds when the key holds any text; the value is its leading decimal number.
  bool ReadInteger(std::string_view key, int& out) const;
  // A text holding CR or LF is refused: it could smuggle keys into the file.
  bool WriteText(std::string_view key, std::string_view text);
  bool WriteInteger(std::string_view key, int value);

  void SetRenameForTesting(RenameFunction rename) { m_rename = std::move(rename); }

 private:
  std::string m_directory;
  std::string m_path;
  std::string m_section;
  IniDocument m_document;
  bool m_open = false;
  bool m_dirty = false;
  RenameFunction m_rename;
};

}  // namespace korvex
