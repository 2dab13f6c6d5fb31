#include "core/options/scrolling.h"

#include <algorithm>

namespace korvex {

int MaxTopRowFor(int count, int visible) { return std::max(count - visible, 0); }

int ScrolledTopRow(ScrollAction action, int top, int maxTop, int page, int thumb) {
  switch (action) {
    case ScrollAction::kLineUp:
      return top > 0 ? top - 1 : top;
    case ScrollAction::kLineDown:
      return top < maxTop ? top + 1 : top;
    case ScrollAction::kPageUp:
      return std::max(top - page, 0);
    case ScrollAction::kPageDown:
      return std::min(top + page, maxTop);
    case ScrollAction::kThumbTrack:
      return std::clamp(thumb, 0, maxTop);
    default:
      return top;
  }
}

}  // namespace korvex
