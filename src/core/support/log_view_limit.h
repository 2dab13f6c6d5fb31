#pragma once

#include <cstdint>

namespace korvex {

// Largest log, in bytes, that the program's own log view takes on a platform of this kind
// (present-day desktops are kind 3 or 4); a longer one goes to an external editor.
std::uint64_t LogViewLimit(int platformKind);

bool FitsLogView(std::uint64_t length, int platformKind);

}  // namespace korvex
