// The drawing area: shows the latest picture of the view, moved and scaled at once while the
// next one is drawn, and turns the mouse and keys into view changes.
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

#include "lumat/render_worker.h"
#include "lumat/viewport.h"

namespace korvex::lumat {

class LayoutView : public QWidget {
  Q_OBJECT

 public:
  explicit LayoutView(QWidget* parent = nullptr);
  ~LayoutView() override;

  // Shows `top` of `index` fitted to the window. The index must outlive the view's use of it.
  void showStructure(const ViewIndex* index, std::uint32_t top);
  void setVisibleLayers(std::vector<bool> visible);

  const Viewport& viewport() const { return m_viewport; }
  void setViewport(const Viewport& viewport);
  // The picture on screen; finished once it shows the current view completely.
  const QImage& picture() const { return m_picture; }
  bool pictureFinished() const { return m_finished; }

 public slots:
  void fitToWindow();
  void zoomIn();
  void zoomOut();

 signals:
  void cursorMoved(double x, double y);  // database units
  void cursorLeft();
  void drawingStarted();
  void drawingFinished(double milliseconds, const korvex::lumat::RenderStats& stats);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void requestPicture();
  void onPicture(const QImage& image, const Viewport& viewport, bool finished, const RenderStats& stats,
                 double milliseconds);

  const ViewIndex* m_index = nullptr;
  std::unique_ptr<RenderWorker> m_worker;
  std::uint32_t m_top = 0;
  std::vector<bool> m_visible;
  Viewport m_viewport;
  bool m_fitted = false;
  QImage m_picture;
  Viewport m_pictureViewport;
  bool m_finished = false;
  bool m_dragging = false;
  QPoint m_lastDrag;
};

}  // namespace korvex::lumat
