#pragma once

#include <string>
#include <vector>

namespace korvex {

// korvex.smp in the working directory gives structures new names in the output: one line
// per renamed structure, "name" + blank + "new name" + CR LF, in scan order.

inline constexpr const char* kStructureMapName = "korvex.smp";

std::string StructureMapPath(const std::string& workingDirectory);

// The output name of each structure: its own name, or the new name that a line of the
// file at path gives it. Lines without a blank and names the scan lacks are skipped.
std::vector<std::string> ReadStructureMap(const std::string& path, const std::vector<std::string>& names);

// The file's bytes for these output names; empty when no structure is renamed (the
// comparison is case-sensitive, so a change of letter case is a renaming).
std::string EncodeStructureMap(const std::vector<std::string>& names, const std::vector<std::string>& outputs);

// The message for a map that could not be saved.
std::string StructureMapWriteMessage(const std::string& path);

// Writes the file, or deletes it when no structure is renamed. Returns the message to show
// on failure, else empty; a failure leaves the previous file as it was.
std::string WriteStructureMap(const std::string& path, const std::vector<std::string>& names,
                              const std::vector<std::string>& outputs);

}  // namespace korvex
