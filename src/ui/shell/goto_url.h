#pragma once

// Opens a web address in the user's browser: first through xdg-open, then, when that
// cannot start, with the command of the desktop's default web browser. Returns 1 when a
// browser was started, else 0. The show command is accepted for callers that pass one;
// the desktop decides how the browser window appears. Exported for other programs.
extern "C" __attribute__((visibility("default"))) int GotoURL(const char* url, int showCommand);
