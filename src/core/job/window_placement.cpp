#include "core/job/window_placement.h"

#include <string>

namespace korvex {
namespace {

std::string Key(std::string_view prefix, const char* suffix) { return std::string(prefix) + suffix; }

}  // namespace

bool SavePlacement(ProfileStore& store, std::string_view prefix, const PlacementWindow& window) {
  const WindowRect r = window.NormalRect();
  bool ok = store.WriteInteger(Key(prefix, "TopX"), r.left);
  ok = store.WriteInteger(Key(prefix, "TopY"), r.top) && ok;
  ok = store.WriteInteger(Key(prefix, "BotX"), r.right) && ok;
  ok = store.WriteInteger(Key(prefix, "BotY"), r.bottom) && ok;
  ok = store.WriteInteger(Key(prefix, "showCmd"), window.IsMaximized() ? 1 : 0) && ok;
  return ok;
}

bool RestorePlacement(const ProfileStore& store, std::string_view prefix, PlacementWindow& window,
                      bool keepSize) {
  WindowRect r;
  int showCmd = 0;
  if (!store.ReadInteger(Key(prefix, "TopX"), r.left) || !store.ReadInteger(Key(prefix, "TopY"), r.top) ||
      !store.ReadInteger(Key(prefix, "BotX"), r.right) || !store.ReadInteger(Key(prefix, "BotY"), r.bottom) ||
      !store.ReadInteger(Key(prefix, "showCmd"), showCmd)) {
    return false;
  }
  if (r.left == 0 || r.top == 0 || r.right == 0 || r.bottom == 0) return true;
  if (keepSize) {
    const WindowRect now = window.NormalRect();
    r.right = r.left + (now.right - now.left);
    r.bottom = r.top + (now.bottom - now.top);
  }
  window.SetNormalRect(r);
  window.ShowNormal();
  return true;
}

}  // namespace korvex
