#pragma once

#include <QWidget>

#include <optional>

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

// For a window still being built: the restored rectangle is only noted, and applied by Apply()
// once every part of the window exists. Showing is left to the window's owner, so no event
// reaches a half-built window.
class DeferredPlacement : public PlacementWindow {
 public:
  explicit DeferredPlacement(QWidget* widget) : m_now(widget) {}

  WindowRect NormalRect() const override { return m_rect ? *m_rect : m_now.NormalRect(); }
  bool IsMaximized() const override { return false; }
  void SetNormalRect(const WindowRect& r) override { m_rect = r; }
  void ShowNormal() override {}
  void Apply() {
    if (m_rect) m_now.SetNormalRect(*m_rect);
  }

 private:
  WidgetPlacement m_now;
  std::optional<WindowRect> m_rect;
};

}  // namespace korvex
