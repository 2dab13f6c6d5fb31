#pragma once

#include "core/job/window_placement.h"

namespace korvex {

// Largest client area of the About box while its credits picture shows.
inline constexpr int kRevealClientWidth = 335;
inline constexpr int kRevealClientHeight = 206;

// The About box's rectangle while the credits show: the noted rectangle, each dimension
// reduced only by what its client area exceeds of the largest size.
WindowRect RevealRect(const WindowRect& noted, int clientWidth, int clientHeight);

}  // namespace korvex
