// A mapped input that another program cuts short makes the next read of its lost pages raise
// SIGBUS. Instead of dying by that signal, a companion ends with a reason and leaves no
// half-written file behind.
#pragma once

#include <string>

namespace korvex {

// From now on SIGBUS writes "<program>: error: the input changed while it was read" to
// standard error (and "Error: the input changed while it was read" to the log descriptor when
// one is set), removes the file set by SetBusErrorRemove() and exits with `exit_code`.
void InstallBusErrorExit(const char* program, int exit_code);
// The log descriptor for that line (-1: none).
void SetBusErrorLog(int fd);
// The unfinished file to remove then ("" : none).
void SetBusErrorRemove(const std::string& path);

}  // namespace korvex
