#pragma once

namespace korvex {

// How path texts are taken apart: which character separates directories and whether a
// leading "X:" names a drive. The program itself always uses the native style; the other
// exists so that names coming from Windows users behave the way they expect.
struct PathStyle {
  char separator;
  bool drivePrefixes;
};

inline constexpr PathStyle kNativePathStyle{'/', false};
inline constexpr PathStyle kWindowsPathStyle{'\\', true};

}  // namespace korvex
