#pragma once

#include <string>

namespace korvex {

// After the working directory changed: the job file of the input (its name with ".job")
// follows from the old directory to the new one, replacing a file there. Directories are
// compared as the file system does, exactly. True when a file was moved; a copy or delete
// that fails is not reported.
bool MoveJobFile(const std::string& oldDirectory, const std::string& newDirectory, const std::string& inputFile);

}  // namespace korvex
