#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// The command that opens an address with the desktop's web browser, made from the browser's
// command template (the Exec line of its desktop entry): the template is cut where its
// address placeholder begins (the placeholder in double quotes first, else the bare one;
// %u, %U, %f or %F), then a blank and the address follow. A template without a placeholder
// is kept whole.
std::string BrowserCommandLine(std::string_view commandTemplate, std::string_view address);

// The Exec value of the [Desktop Entry] group of a desktop file's text; empty when none.
std::string DesktopExecLine(std::string_view desktopFileText);

// Splits a command line by the quoting rules of desktop entries: blanks separate, double
// quotes group, and inside them a backslash escapes the next character.
std::vector<std::string> SplitExecLine(std::string_view line);

// Folders in which desktop entries are looked for, most important first.
std::vector<std::string> ApplicationFolders(const char* dataHome, const char* dataDirs, const char* home);

}  // namespace korvex
