#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/support/text_file.h"

namespace korvex {

// The command that opens a file in the user's editor: xdg-open when it is installed,
// otherwise $VISUAL, then $EDITOR (each may carry options of its own). Empty when none.
std::vector<std::string> EditorCommand(const std::string& file, bool xdgOpenInstalled, const std::string& visual,
                                       const std::string& editor);

// The command for this system's PATH and environment.
std::vector<std::string> DefaultEditorCommand(const std::string& file);

// True when an executable of that name is found in PATH.
bool ProgramInPath(const std::string& name, const char* path);

using StartProgram = std::function<bool(const std::vector<std::string>& argv)>;

// What becomes of a file for the log view.
enum class ViewChoice {
  kView,         // small enough for the view (the file stays open)
  kEditor,       // handed to the editor through start (the file is then closed)
  kPartialView,  // too large, and no editor started: the view shows its first part read-only
};

ViewChoice ShowInViewOrEditor(CTextFile& file, const StartProgram& start,
                              const std::vector<std::string>& editorCommand = {});

}  // namespace korvex
