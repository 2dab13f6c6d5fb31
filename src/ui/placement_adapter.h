#pragma once

#include <QWidget>

#include "core/job/window_placement.h"

namespace korvex {

// Lets the settings code save and restore a Qt window's placement.
class WidgetPlacement : public PlacementWindow {
 public:
  explicit WidgetPlacement(QWidget* widget) : m_widget(widget) {}

  WindowRect NormalRect() const override {
    const QRect r = m_widget->normalGeometry().isValid() ? m_widget->normalGeometry() : m_widget->geometry();
    return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
  }
  bool IsMaximized() const override { return m_widget->isMaximized(); }
  void SetNormalRect(const WindowRect& r) override {
    m_widget->setGeometry(r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  void ShowNormal() override { m_widget->showNormal(); }

 private:
  QWidget* m_widget;
};

}  // namespace korvex
