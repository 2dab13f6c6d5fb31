#include "korvexe/structure_names.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "gds/name_codec.h"
#include "korvexe/run_control.h"

namespace korvex::engine {

std::vector<RenameLine> ReadRenameMap(const std::string& path, EngineLog& log) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw EngineError("cannot read the rename map " + path + ": " + std::strerror(errno));
  std::vector<RenameLine> out;
  std::string line;
  std::size_t number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    const std::size_t blank = line.find(' ');
    if (blank == std::string::npos || blank == 0 || blank + 1 == line.size()) {
      log.Warning(path + ":" + std::to_string(number) + ": not OLD NEW, line skipped");
      continue;
    }
    out.push_back({number, gds::DecodeName(line.substr(0, blank)), gds::DecodeName(line.substr(blank + 1))});
  }
  return out;
}

std::string FixName(std::string_view name, NameCase how) {
  if (how == NameCase::kKeep) return std::string(name);
  std::string out;
  for (unsigned char c : name.substr(0, kFixedNameLength)) {
    const bool allowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
                         c == '?' || c == '$';
    char k = allowed ? static_cast<char>(c) : '_';
    if (how == NameCase::kLower && k >= 'A' && k <= 'Z') k = static_cast<char>(k - 'A' + 'a');
    if (how == NameCase::kUpper && k >= 'a' && k <= 'z') k = static_cast<char>(k - 'a' + 'A');
    out += k;
  }
  return out;
}

std::string UniqueName(const std::string& name, std::unordered_set<std::string>& taken, std::size_t max_length) {
  if (taken.insert(name).second) return name;
  for (std::uint64_t n = 1;; ++n) {
    const std::string suffix = "_" + std::to_string(n);
    std::string base = name;
    if (max_length > 0 && base.size() + suffix.size() > max_length)
      base.resize(max_length > suffix.size() ? max_length - suffix.size() : 0);
    std::string candidate = base + suffix;
    if (taken.insert(candidate).second) return candidate;
  }
}

std::string Shown(std::string_view name) { return gds::EncodeName(name); }

}  // namespace korvex::engine
