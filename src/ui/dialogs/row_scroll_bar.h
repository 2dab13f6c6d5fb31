#pragma once

#include <QScrollBar>

namespace korvex {

// The scroll bar beside the rows of the mapping dialogs, one row per step.
//
// Its thumb is drawn darker than its groove. The desktop style draws it lighter, so beside
// a list of about two pages the darker groove below it reads as the thumb, and the bar
// looks as if it stood at the end of the list while the start is shown.
class RowScrollBar : public QScrollBar {
  Q_OBJECT

 public:
  RowScrollBar(int page, QWidget* parent);

  // A refused step stops here: an arrow held down does not repeat it while the refusal is
  // shown, and a dragged thumb is let go.
  void StopAction();

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace korvex
