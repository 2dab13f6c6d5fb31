#pragma once

namespace korvex {

// Exit code of a child that the user stopped (interrupted or terminated).
inline constexpr int kExitCancelled = -19190;

// Turns a wait status into the exit code that callers judge: an exit status as a signed
// 8-bit number (0..127 as is, 128..255 as -128..-1), SIGINT and SIGTERM as kExitCancelled,
// any other signal n as -(1000 + n).
int DecodeExitStatus(int waitStatus);

}  // namespace korvex
