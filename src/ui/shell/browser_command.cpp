#include "ui/shell/browser_command.h"

namespace korvex {

std::string BrowserCommandLine(std::string_view commandTemplate, std::string_view address) {
  std::size_t cut = std::string_view::npos;
  for (std::string_view placeholder : {"\"%u\"", "\"%U\"", "\"%f\"", "\"%F\"", "%u", "%U", "%f", "%F"}) {
    cut = commandTemplate.find(placeholder);
    if (cut != std::string_view::npos) break;
  }
  std::string line(commandTemplate.substr(0, cut));
  line += ' ';
  line += address;
  return line;
}

std::string DesktopExecLine(std::string_view text) {
  bool inEntry = false;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos = end + 1;
    if (!line.empty() && line.front() == '[') {
      inEntry = line == "[Desktop Entry]";
    } else if (inEntry && line.substr(0, 4) == "Exec") {
      std::string_view rest = line.substr(4);
      while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
      if (rest.empty() || rest.front() != '=') continue;
      rest.remove_prefix(1);
      while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
      return std::string(rest);
    }
  }
  return {};
}

std::vector<std::string> SplitExecLine(std::string_view line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '\\' && i + 1 < line.size()) word += line[++i];
      else if (c == '"') quoted = false;
      else word += c;
    } else if (c == ' ' || c == '\t') {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      inWord = true;
      if (c == '"') quoted = true;
      else word += c;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

std::vector<std::string> ApplicationFolders(const char* dataHome, const char* dataDirs, const char* home) {
  std::vector<std::string> folders;
  if (dataHome != nullptr && dataHome[0] != '\0') folders.push_back(std::string(dataHome) + "/applications");
  else if (home != nullptr && home[0] != '\0') folders.push_back(std::string(home) + "/.local/share/applications");
  std::string_view dirs = dataDirs != nullptr && dataDirs[0] != '\0' ? dataDirs : "/usr/local/share:/usr/share";
  std::size_t pos = 0;
  while (pos <= dirs.size()) {
    std::size_t end = dirs.find(':', pos);
    if (end == std::string_view::npos) end = dirs.size();
    if (end > pos) folders.push_back(std::string(dirs.substr(pos, end - pos)) + "/applications");
    pos = end + 1;
  }
  return folders;
}

}  // namespace korvex
