#pragma once

#include <optional>
#include <string>

namespace korvex {

struct LockStates {
  std::optional<bool> caps;  // none: the system does not report it
  std::optional<bool> num;
  std::optional<bool> scroll;
};

// The keyboard lock lights as the kernel reports them in a leds folder (normally
// /sys/class/leds, entries such as "input3::capslock"); a light counts as on when any
// keyboard shows it.
LockStates ReadLockStates(const std::string& ledsDirectory = "/sys/class/leds");

}  // namespace korvex
