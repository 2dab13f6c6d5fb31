#pragma once

#include <string>
#include <string_view>

#include "core/support/path_style.h"

namespace korvex {

struct PathParts {
  std::string directory;  // a root keeps its trailing separator; any other directory has none
  std::string name;
};

struct ExtensionParts {
  std::string stem;
  std::string extension;  // from the last dot of the name on, dot included; empty when none
};

PathParts SplitPathName(std::string_view path, const PathStyle& style = kNativePathStyle);
std::string AppendPathSeparator(std::string_view directory, const PathStyle& style = kNativePathStyle);
std::string JoinPath(std::string_view directory, std::string_view name,
                     const PathStyle& style = kNativePathStyle);
std::string ChangeExtension(std::string_view path, std::string_view extension,
                            const PathStyle& style = kNativePathStyle);
ExtensionParts SplitExtension(std::string_view path, const PathStyle& style = kNativePathStyle);

// Existence tests on the real file system (native paths only).
bool FileExists(const std::string& path);  // any entry, directories included; wildcards match
bool DirectoryExists(const std::string& path);

// ASCII letters compared without regard to case.
bool EqualNoCase(std::string_view a, std::string_view b);

// Extensions are compared without regard to case (".LOG" is a log too).
bool SameExtension(std::string_view a, std::string_view b);

}  // namespace korvex
