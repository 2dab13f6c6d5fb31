#include "core/options/structure_map.h"

#include <unordered_map>

#include "core/support/replace_file.h"
#include "core/support/paths.h"
#include "core/support/text_file.h"

namespace korvex {

std::string StructureMapPath(const std::string& workingDirectory) {
  return JoinPath(workingDirectory, kStructureMapName);
}

std::vector<std::string> ReadStructureMap(const std::string& path, const std::vector<std::string>& names) {
  std::vector<std::string> outputs = names;
  if (!FileExists(path)) return outputs;
  const std::unique_ptr<CTextFile> file = CTextFile::Open(path);
  if (!file) return outputs;
  // A name the scan lists twice is renamed at its first place, as a search would find it.
  std::unordered_map<std::string_view, std::size_t> index;
  for (std::size_t i = names.size(); i-- > 0;) index[names[i]] = i;
  while (file->ReadLine()) {
    const std::string_view line = file->line();
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos) continue;
    const auto hit = index.find(line.substr(0, blank));
    if (hit != index.end()) outputs[hit->second] = std::string(line.substr(blank + 1));
  }
  return outputs;
}

std::string EncodeStructureMap(const std::vector<std::string>& names, const std::vector<std::string>& outputs) {
  std::string bytes;
  for (std::size_t i = 0; i < names.size() && i < outputs.size(); ++i) {
    if (outputs[i] != names[i]) bytes.append(names[i]).append(" ").append(outputs[i]).append("\r\n");
  }
  return bytes;
}

std::string StructureMapWriteMessage(const std::string& path) {
  return "Error occurred when saving structure mapping information to\n'" + path + "'.";
}

std::string WriteStructureMap(const std::string& path, const std::vector<std::string>& names,
                              const std::vector<std::string>& outputs) {
  const std::string bytes = EncodeStructureMap(names, outputs);
  // With no renaming left, an old file must not go on renaming structures.
  const bool ok = bytes.empty() ? RemoveFileIfPresent(path) : ReplaceFile(path, bytes);
  return ok ? std::string() : StructureMapWriteMessage(path);
}

}  // namespace korvex
