#include "ui/recent_files.h"

#include <algorithm>

namespace korvex {
namespace {

constexpr std::size_t kPathCapacity = 4096;

std::string KeyOf(std::size_t index) {
  std::string key = "File";
  key += std::to_string(index + 1);
  return key;
}

}  // namespace

void RecentFileList::Load(ProfileStore& store) {
  const std::string previous = store.Section();
  store.UseSection(kSection);
  m_files.clear();
  for (std::size_t i = 0; i < kCapacity; ++i) {
    std::string path;
    if (store.ReadText(KeyOf(i), path, kPathCapacity) && !path.empty() &&
        std::find(m_files.begin(), m_files.end(), path) == m_files.end()) {
      m_files.push_back(path);
    }
  }
  store.UseSection(previous);
}

void RecentFileList::Save(ProfileStore& store) const {
  const std::string previous = store.Section();
  store.UseSection(kSection);
  for (std::size_t i = 0; i < kCapacity; ++i) store.WriteText(KeyOf(i), i < m_files.size() ? m_files[i] : "");
  store.UseSection(previous);
}

void RecentFileList::Add(const std::string& path) {
  if (path.empty()) return;
  Remove(path);
  m_files.insert(m_files.begin(), path);
  if (m_files.size() > kCapacity) m_files.resize(kCapacity);
}

void RecentFileList::Remove(const std::string& path) {
  m_files.erase(std::remove(m_files.begin(), m_files.end(), path), m_files.end());
}

std::string RecentFileMenuText(std::size_t index, const std::string& path) {
  std::string text(1, '&');
  text += std::to_string(index + 1);
  text += ' ';
  // A "&" of the path would otherwise turn the next letter into a mnemonic.
  for (char c : path) {
    if (c == '&') text += '&';
    text += c;
  }
  return text;
}

}  // namespace korvex
