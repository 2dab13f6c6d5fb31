#pragma once

#include <string_view>

#include "core/job/profile_store.h"

namespace korvex {

struct WindowRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// What saving and restoring a window's placement needs from the window system.
class PlacementWindow {
 public:
  virtual ~PlacementWindow() = default;
  virtual WindowRect NormalRect() const = 0;  // the rectangle when neither maximised nor minimised
  virtual bool IsMaximized() const = 0;
  virtual void SetNormalRect(const WindowRect& rect) = 0;
  virtual void ShowNormal() = 0;
};

// Writes "<prefix>TopX", "TopY", "BotX", "BotY" and "showCmd" (1 when maximised).
bool SavePlacement(ProfileStore& store, std::string_view prefix, const PlacementWindow& window);

// Fails when a key is missing. A coordinate of 0 counts as unset: then the window is left
// alone and the result is still success. The stored showCmd is read but not applied.
bool RestorePlacement(const ProfileStore& store, std::string_view prefix, PlacementWindow& window,
                      bool keepSize);

}  // namespace korvex
