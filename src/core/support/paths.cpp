#include "core/support/paths.h"

#include <glob.h>
#include <sys/stat.h>

#include <cctype>

namespace korvex {
namespace {

bool HasDrive(std::string_view path, const PathStyle& style) {
  return style.drivePrefixes && path.size() >= 2 && path[1] == ':';
}

// Index where the name part may begin: after a drive prefix and a root separator.
std::size_t NameSearchStart(std::string_view path, const PathStyle& style) {
  std::size_t start = HasDrive(path, style) ? 2 : 0;
  if (start < path.size() && path[start] == style.separator) ++start;
  return start;
}

std::size_t ExtensionDot(std::string_view path, const PathStyle& style) {
  const std::size_t lastSep = path.rfind(style.separator);
  const std::size_t nameStart = lastSep == std::string_view::npos ? 0 : lastSep + 1;
  const std::size_t dot = path.rfind('.');
  return dot != std::string_view::npos && dot >= nameStart ? dot : std::string_view::npos;
}

bool IsUpperCaseText(std::string_view text) {
  bool sawUpper = false;
  for (unsigned char c : text) {
    if (std::islower(c)) return false;
    if (std::isupper(c)) sawUpper = true;
  }
  return sawUpper;
}

}  // namespace

PathParts SplitPathName(std::string_view path, const PathStyle& style) {
  PathParts parts;
  if (path.empty()) return parts;
  const std::size_t start = NameSearchStart(path, style);
  const std::size_t lastSep = path.rfind(style.separator);
  if (lastSep != std::string_view::npos && lastSep >= start) {
    parts.directory = path.substr(0, lastSep);
    parts.name = path.substr(lastSep + 1);
  } else {
    parts.directory = path.substr(0, start);
    parts.name = path.substr(start);
  }
  return parts;
}

std::string AppendPathSeparator(std::string_view directory, const PathStyle& style) {
  std::string result(directory);
  if (result.empty() || result.back() == style.separator) return result;
  if (style.drivePrefixes && result.size() == 2 && result[1] == ':') result += '.';
  result += style.separator;
  return result;
}

std::string JoinPath(std::string_view directory, std::string_view name, const PathStyle& style) {
  std::string result = AppendPathSeparator(directory, style);
  result += name;
  return result;
}

std::string ChangeExtension(std::string_view path, std::string_view extension,
                            const PathStyle& style) {
  std::string result(path.substr(0, ExtensionDot(path, style)));
  std::string ext(extension);
  // A name typed all in capitals keeps its capitals in the new extension.
  if (IsUpperCaseText(result)) {
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return result + ext;
}

ExtensionParts SplitExtension(std::string_view path, const PathStyle& style) {
  const std::size_t dot = ExtensionDot(path, style);
  if (dot == std::string_view::npos) return {std::string(path), {}};
  return {std::string(path.substr(0, dot)), std::string(path.substr(dot))};
}

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) return true;
  if (path.find_first_of("*?[") == std::string::npos) return false;
  glob_t matches{};
  const bool found = ::glob(path.c_str(), GLOB_NOSORT, nullptr, &matches) == 0 && matches.gl_pathc > 0;
  ::globfree(&matches);
  return found;
}

bool DirectoryExists(const std::string& path) {
  std::string copy = path;
  // One trailing separator is ignored, but "/" itself stays the root.
  if (copy.size() > 1 && copy.back() == '/') copy.pop_back();
  if (copy.empty()) return false;
  struct stat st {};
  return ::stat(copy.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

bool SameExtension(std::string_view a, std::string_view b) { return EqualNoCase(a, b); }

}  // namespace korvex
