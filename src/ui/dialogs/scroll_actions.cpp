#include "ui/dialogs/scroll_actions.h"

#include <QAbstractSlider>

namespace korvex {

ScrollAction ScrollActionOf(int sliderAction) {
  switch (sliderAction) {
    case QAbstractSlider::SliderSingleStepSub:
      return ScrollAction::kLineUp;
    case QAbstractSlider::SliderSingleStepAdd:
      return ScrollAction::kLineDown;
    case QAbstractSlider::SliderPageStepSub:
      return ScrollAction::kPageUp;
    case QAbstractSlider::SliderPageStepAdd:
      return ScrollAction::kPageDown;
    case QAbstractSlider::SliderMove:
      return ScrollAction::kThumbTrack;
    default:
      return ScrollAction::kOther;
  }
}

}  // namespace korvex
