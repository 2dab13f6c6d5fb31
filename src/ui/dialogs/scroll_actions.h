#pragma once

#include "core/options/scrolling.h"

class QEvent;
class QScrollBar;

namespace korvex {

// A scroll bar's action (QAbstractSlider::SliderAction) as the dialog models know it.
ScrollAction ScrollActionOf(int sliderAction);

// Page Up and Page Down pressed in a row's field page through the rows, as they would in a
// list. True when the event was such a key and has been acted on.
bool PageRowsByKey(QEvent* event, QScrollBar* scroll);

}  // namespace korvex
