#pragma once

namespace korvex {

// Scroll bar notifications, as the window reports them.
enum class ScrollAction {
  kLineUp,
  kLineDown,
  kPageUp,
  kPageDown,
  kThumbTrack,     // the thumb is being dragged
  kThumbPosition,  // the thumb was let go
  kEndScroll,
  kOther,
};

// The largest first row that still fills the visible rows: count - visible, at least 0.
int MaxTopRowFor(int count, int visible);

// The first row after a scroll action over pages of `page` rows; thumb is the thumb's
// position for the thumb actions. Steps stop at 0 and maxTop; other actions keep top.
int ScrolledTopRow(ScrollAction action, int top, int maxTop, int page, int thumb);

}  // namespace korvex
