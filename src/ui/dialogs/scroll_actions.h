#pragma once

#include "core/options/scrolling.h"

namespace korvex {

// A scroll bar's action (QAbstractSlider::SliderAction) as the dialog models know it.
ScrollAction ScrollActionOf(int sliderAction);

}  // namespace korvex
