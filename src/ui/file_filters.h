#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/job/output_proposal.h"  // kGdsFileTypes

namespace korvex {

// Filter entries: description and pattern pairs, each part followed by "|", ended by "||".
inline constexpr const char* kLogFilter = "LOG Files (*.log)|*.log|All Files (*.*)|*.*||";
inline constexpr const char* kExeFilter = "EXE Files (*.exe)|*.exe|All Files (*.*)|*.*||";

// The entry as the name filters of a file dialog, in order, the specific type first. "*.*"
// becomes "*": here a file name need not hold a dot.
std::vector<std::string> DialogNameFilters(std::string_view entry);

}  // namespace korvex
