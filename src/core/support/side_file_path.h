#pragma once

#include <string>
#include <string_view>

#include "core/support/path_style.h"

namespace korvex {

// A file of a job named after its input: the input's name (without its directory) with its
// extension changed, placed in the working directory. CHIP.GDS gives CHIP.SSN, chip.gds
// gives chip.ssn: the case rule of ChangeExtension looks at the name alone.
std::string SideFilePath(std::string_view workingDirectory, std::string_view inputFile,
                         std::string_view extension, const PathStyle& style = kNativePathStyle);

}  // namespace korvex
