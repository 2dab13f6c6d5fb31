#include "ui/lock_indicators.h"

#include <filesystem>
#include <fstream>

namespace korvex {
namespace {

void Merge(std::optional<bool>& state, const std::filesystem::path& led) {
  std::ifstream in(led / "brightness");
  int brightness = 0;
  if (!(in >> brightness)) return;
  state = state.value_or(false) || brightness > 0;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

LockStates ReadLockStates(const std::string& ledsDirectory) {
  LockStates states;
  std::error_code error;
  std::filesystem::directory_iterator it(ledsDirectory, error);
  if (error) return states;
  for (const auto& entry : it) {
    const std::string name = entry.path().filename().string();
    if (EndsWith(name, "::capslock")) Merge(states.caps, entry.path());
    else if (EndsWith(name, "::numlock")) Merge(states.num, entry.path());
    else if (EndsWith(name, "::scrolllock")) Merge(states.scroll, entry.path());
  }
  return states;
}

}  // namespace korvex
