#include "core/support/side_file_path.h"

#include "core/support/paths.h"

namespace korvex {

std::string SideFilePath(std::string_view workingDirectory, std::string_view inputFile,
                         std::string_view extension, const PathStyle& style) {
  const std::string name = SplitPathName(inputFile, style).name;
  return JoinPath(workingDirectory, ChangeExtension(name, extension, style), style);
}

}  // namespace korvex
