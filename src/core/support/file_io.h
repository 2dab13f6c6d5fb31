#pragma once

#include <string_view>

namespace korvex {

// Writes every byte, going on after short writes and interruptions. False on a write error
// (errno tells which).
bool WriteAll(int fd, std::string_view bytes);

}  // namespace korvex
