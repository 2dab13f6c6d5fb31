#include "ui/editor_hand_over.h"

#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "core/support/argument_text.h"
#include "core/support/log_view_limit.h"
#include "core/support/platform.h"

namespace korvex {

std::vector<std::string> EditorCommand(const std::string& file, bool xdgOpenInstalled, const std::string& visual,
                                       const std::string& editor) {
  std::vector<std::string> command;
  if (xdgOpenInstalled) command = {"xdg-open"};
  else if (!visual.empty()) command = SplitArgumentText(visual);
  else if (!editor.empty()) command = SplitArgumentText(editor);
  if (command.empty()) return {};
  command.push_back(file);
  return command;
}

bool ProgramInPath(const std::string& name, const char* path) {
  std::string_view dirs = path != nullptr ? path : "";
  std::size_t pos = 0;
  while (pos <= dirs.size()) {
    std::size_t end = dirs.find(':', pos);
    if (end == std::string_view::npos) end = dirs.size();
    const std::string dir(dirs.substr(pos, end - pos));
    const std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return true;
    pos = end + 1;
  }
  return false;
}

std::vector<std::string> DefaultEditorCommand(const std::string& file) {
  const char* visual = std::getenv("VISUAL");
  const char* editor = std::getenv("EDITOR");
  return EditorCommand(file, ProgramInPath("xdg-open", std::getenv("PATH")), visual != nullptr ? visual : "",
                       editor != nullptr ? editor : "");
}

ViewChoice ShowInViewOrEditor(CTextFile& file, const StartProgram& start,
                              const std::vector<std::string>& editorCommand) {
  if (FitsLogView(file.Length(), GetPlatformKind())) return ViewChoice::kView;
  std::vector<std::string> command = editorCommand;
  if (command.empty()) command = DefaultEditorCommand(file.FullPath());
  else command.push_back(file.FullPath());
  file.Close();
  return !command.empty() && start(command) ? ViewChoice::kEditor : ViewChoice::kPartialView;
}

}  // namespace korvex
