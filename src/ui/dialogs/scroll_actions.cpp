#include "ui/dialogs/scroll_actions.h"

#include <QAbstractSlider>
#include <QKeyEvent>
#include <QScrollBar>

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

bool PageRowsByKey(QEvent* event, QScrollBar* scroll) {
  if (event->type() != QEvent::KeyPress) return false;
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (key != Qt::Key_PageUp && key != Qt::Key_PageDown) return false;
  scroll->triggerAction(key == Qt::Key_PageUp ? QAbstractSlider::SliderPageStepSub : QAbstractSlider::SliderPageStepAdd);
  return true;
}

}  // namespace korvex
