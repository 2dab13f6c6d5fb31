#include "core/job/profile_store.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "core/support/number_text.h"

namespace korvex {
namespace {

// A file that is not there reads as empty; one that cannot be read gives nothing.
std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return std::string();
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return text.str();
}

}  // namespace

std::string ProfileStore::ConfigDirectory() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/Helvorn";
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.config/Helvorn";
}

bool ProfileStore::Open(std::string_view storeName) {
  const std::size_t slash = storeName.find('\\');
  const std::string_view file = slash == std::string_view::npos ? storeName : storeName.substr(0, slash);
  m_section = slash == std::string_view::npos ? storeName : storeName.substr(slash + 1);
  if (m_directory.empty()) m_directory = ConfigDirectory();
  m_path = m_directory + "/" + std::string(file) + ".ini";
  m_document = IniDocument::Parse(ReadWholeFile(m_path).value_or(std::string()));
  m_open = true;
  m_dirty = false;
  return true;
}

bool ProfileStore::OpenFile(const std::string& path, std::string_view section, bool readExisting) {
  m_path = path;
  m_directory = FolderOf(path);
  m_section = section;
  m_document = IniDocument();
  m_open = false;
  m_dirty = false;
  if (readExisting) {
    const std::optional<std::string> text = ReadWholeFile(path);
    if (!text) return false;
    m_document = IniDocument::Parse(*text);
  }
  m_open = true;
  return true;
}

bool ProfileStore::Close() {
  if (!m_open) return false;
  m_open = false;
  if (!m_dirty) return true;
  std::error_code ec;
  std::filesystem::create_directories(m_directory, ec);
  if (!ReplaceFile(m_path, m_document.Serialize(), m_rename)) return false;
  m_dirty = false;
  return true;
}

bool ProfileStore::ReadText(std::string_view key, std::string& out, std::size_t capacity) const {
  if (!m_open || capacity == 0) return false;
  const auto value = m_document.Get(m_section, key);
  if (!value) return false;
  out = value->substr(0, capacity - 1);
  return true;
}

bool ProfileStore::ReadInteger(std::string_view key, int& out) const {
  std::string text;
  if (!ReadText(key, text, 128) || text.empty()) return false;
  out = LeadingInteger(text);
  return true;
}

bool ProfileStore::WriteText(std::string_view key, std::string_view text) {
  if (!m_open || text.find_first_of("\r\n") != std::string_view::npos) return false;
  m_document.Set(m_section, key, text);
  m_dirty = true;
  return true;
}

bool ProfileStore::WriteInteger(std::string_view key, int value) {
  return WriteText(key, std::to_string(static_cast<unsigned long>(static_cast<unsigned int>(value))));
}

}  // namespace korvex
