#include "ui/directory_browser.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace korvex {
namespace fs = std::filesystem;

namespace {

std::string Normal(const fs::path& path) {
  std::string text = path.lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

bool StartsWithDirectory(const std::string& path, std::string_view directory) {
  return path.size() > directory.size() && path.compare(0, directory.size(), directory) == 0 &&
         path[directory.size()] == '/';
}

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

// Mount tables write blanks and other odd characters of a path as octal escapes ("\040").
std::string UnescapeMountPath(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && IsOctal(text[i + 1]) && IsOctal(text[i + 2]) && IsOctal(text[i + 3])) {
      out += static_cast<char>(((text[i + 1] - '0') << 6) | ((text[i + 2] - '0') << 3) | (text[i + 3] - '0'));
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

DirectoryBrowser::DirectoryBrowser(std::string start, std::string home)
    : m_current(Normal(fs::path(start).is_absolute() ? fs::path(start) : fs::absolute(start))), m_home(std::move(home)) {}

std::vector<std::string> DirectoryBrowser::Subdirectories() const {
  std::vector<std::string> names;
  std::error_code error;
  for (fs::directory_iterator it(m_current, fs::directory_options::skip_permission_denied, error), end;
       !error && it != end; it.increment(error)) {
    std::error_code kindError;
    if (it->is_directory(kindError)) names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  if (m_current != "/") names.insert(names.begin(), "..");
  return names;
}

bool DirectoryBrowser::MoveTo(std::string_view path) {
  if (path.empty()) return false;
  fs::path target;
  if (path == "~" || path.substr(0, 2) == "~/") {
    if (m_home.empty()) return false;
    target = fs::path(m_home) / std::string(path.substr(path.size() > 1 ? 2 : 1));
  } else {
    target = fs::path(std::string(path));
    if (!target.is_absolute()) target = fs::path(m_current) / target;
  }
  std::error_code error;
  if (!fs::is_directory(target, error)) return false;
  m_current = Normal(target);
  return true;
}

std::vector<std::string> VolumePlaces(std::string_view mountTable, const std::string& home) {
  std::vector<std::string> places = {"/"};
  if (!home.empty() && home != "/") places.push_back(home);
  std::istringstream lines{std::string(mountTable)};
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string device;
    std::string mountPoint;
    if (!(fields >> device >> mountPoint)) continue;
    const std::string path = UnescapeMountPath(mountPoint);
    if ((StartsWithDirectory(path, "/media") || StartsWithDirectory(path, "/run/media") ||
         StartsWithDirectory(path, "/mnt")) &&
        std::find(places.begin(), places.end(), path) == places.end()) {
      places.push_back(path);
    }
  }
  return places;
}

std::string ReadMountTable() {
  std::ifstream in("/proc/self/mounts");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace korvex
