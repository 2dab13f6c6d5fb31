#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace korvex {

// Gives the file at path exactly these bytes. They are written to a new file in the same
// folder, which is then renamed over the old one: a write that fails half-way (full disk,
// missing folder) leaves the old file as it was. False when anything failed.
// `rename` stands in for std::rename where a test needs the last step to fail.
using RenameFunction = std::function<int(const char* from, const char* to)>;
bool ReplaceFile(const std::string& path, std::string_view bytes, const RenameFunction& rename = {});

// Creates a new file beside `path` for writing, named path + infix + pid + "-" + a random part
// + suffix, exclusively (never through an existing name or link) and with the usual
// permissions. The descriptor, or -1 with errno set.
int CreateTemporaryBeside(const std::string& path, std::string_view infix, std::string_view suffix,
                          std::string& temporary);

// Renames the finished `temporary` (already synced and closed) over `path` and syncs the
// folder, so that the new name survives a crash right after. False with errno set.
bool CommitRename(const std::string& temporary, const std::string& path, const RenameFunction& rename = {});

// The folder that holds `path` ("." for a bare name).
std::string FolderOf(const std::string& path);

// Deletes the file; a file that is not there counts as deleted.
bool RemoveFileIfPresent(const std::string& path);

}  // namespace korvex
