#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/job/job_settings.h"

namespace korvex {

// The files to merge, add or blend travel as MergeFileList (each full path in double
// quotes, separated by one blank) and, for the engine, as korvex.lst in the working
// directory (one path a line, CR LF, no quotes). There is no limit on their number.

inline constexpr const char* kMergeListName = "korvex.lst";

std::string MergeListPath(const std::string& workingDirectory);

// Whether a path can be listed: quotes delimit the entries and lines the file, so a path
// holding a double quote or a line break (or an empty one) cannot be.
bool CanCarryMergePath(std::string_view path);

std::vector<std::string> SplitMergeFileList(std::string_view mergeFileList);
std::string JoinMergeFileList(const std::vector<std::string>& paths);

// MergeFileList as korvex.lst holds it; empty when the file is missing.
std::string ReadMergeFileList(const std::string& workingDirectory);

// The message for a korvex.lst that could not be written.
std::string MergeListWriteMessage(const std::string& path);

// Writes korvex.lst from MergeFileList; returns the message to show on failure, else empty.
// A failed write leaves the previous file as it was.
std::string WriteMergeFileList(const JobSettings& settings);

}  // namespace korvex
