#pragma once

#include <string>
#include <string_view>

namespace korvex {

// Writes every byte, going on after short writes and interruptions. False on a write error
// (errno tells which).
bool WriteAll(int fd, std::string_view bytes);

// Whether two paths name one file (same device and inode, so through every kind of link).
// False when either does not exist.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace korvex
