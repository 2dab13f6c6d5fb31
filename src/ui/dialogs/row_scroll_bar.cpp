#include "ui/dialogs/row_scroll_bar.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

namespace korvex {

RowScrollBar::RowScrollBar(int page, QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
  setFocusPolicy(Qt::StrongFocus);
  setSingleStep(1);
  setPageStep(page);
}

void RowScrollBar::StopAction() {
  setRepeatAction(QAbstractSlider::SliderNoAction);
  if (isSliderDown()) setSliderDown(false);
}

void RowScrollBar::paintEvent(QPaintEvent* event) {
  QScrollBar::paintEvent(event);
  // With nothing to scroll the thumb fills the groove; the style's own drawing says that.
  if (minimum() == maximum()) return;
  QStyleOptionSlider option;
  initStyleOption(&option);
  const QRect thumb = style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
  if (thumb.isEmpty()) return;
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::Dark));
  painter.setBrush(palette().color(isSliderDown() ? QPalette::Dark : QPalette::Mid));
  painter.drawRoundedRect(QRectF(thumb).adjusted(1.5, 0.5, -1.5, -0.5), 2, 2);
}

}  // namespace korvex
