#include "ui/about_reveal.h"

#include <algorithm>

namespace korvex {

WindowRect RevealRect(const WindowRect& noted, int clientWidth, int clientHeight) {
  WindowRect reveal = noted;
  reveal.right -= std::max(0, clientWidth - kRevealClientWidth);
  reveal.bottom -= std::max(0, clientHeight - kRevealClientHeight);
  return reveal;
}

}  // namespace korvex
