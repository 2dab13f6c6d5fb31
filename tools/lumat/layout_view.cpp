#include "lumat/layout_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

#include "lumat/layer_style.h"

namespace korvex::lumat {
namespace {

constexpr double kZoomStep = 1.25;     // per wheel notch and per key press
constexpr double kPanFraction = 0.25;  // of the window, per arrow key

}  // namespace

LayoutView::LayoutView(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(200, 150);
}

LayoutView::~LayoutView() = default;

void LayoutView::showStructure(const ViewIndex* index, std::uint32_t top) {
  if (index != m_index) {
    m_worker.reset();
    m_index = index;
    if (m_index) {
      m_worker = std::make_unique<RenderWorker>(*m_index);
      connect(m_worker.get(), &RenderWorker::pictureReady, this, &LayoutView::onPicture);
    }
  }
  m_top = top;
  m_picture = QImage();
  fitToWindow();
}

void LayoutView::setVisibleLayers(std::vector<bool> visible) {
  m_visible = std::move(visible);
  requestPicture();
}

void LayoutView::setViewport(const Viewport& viewport) {
  m_viewport = viewport;
  m_viewport.width = std::max(width(), 1);
  m_viewport.height = std::max(height(), 1);
  m_fitted = true;
  update();
  requestPicture();
}

void LayoutView::fitToWindow() {
  if (!m_index) return;
  setViewport(Viewport::Fit(m_index->TreeBox(m_top), width(), height()));
}

void LayoutView::zoomIn() {
  m_viewport.ZoomAround(width() / 2.0, height() / 2.0, kZoomStep);
  setViewport(m_viewport);
}

void LayoutView::zoomOut() {
  m_viewport.ZoomAround(width() / 2.0, height() / 2.0, 1.0 / kZoomStep);
  setViewport(m_viewport);
}

void LayoutView::requestPicture() {
  if (!m_worker) return;
  ViewRequest request;
  request.top = m_top;
  request.viewport = m_viewport;
  request.visible = m_visible;
  m_worker->Request(std::move(request));
  m_finished = false;
  emit drawingStarted();
}

void LayoutView::onPicture(const QImage& image, const Viewport& viewport, bool finished, const RenderStats& stats,
                           double milliseconds) {
  m_picture = image;
  m_pictureViewport = viewport;
  m_finished = finished;
  update();
  if (finished) emit drawingFinished(milliseconds, stats);
}

void LayoutView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), BackgroundColour());
  if (m_picture.isNull()) return;
  // The picture's view mapped into the current one: shifted and scaled until the new
  // picture arrives.
  const double k = m_viewport.scale / m_pictureViewport.scale;
  if (k > 16 || k < 1.0 / 16) return;  // too far from the view to be of use until the next one
  const double left = m_viewport.ScreenX(m_pictureViewport.WorldX(0));
  const double top = m_viewport.ScreenY(m_pictureViewport.WorldY(0));
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  p.drawImage(QRectF(left, top, m_picture.width() * k, m_picture.height() * k), m_picture);
}

void LayoutView::resizeEvent(QResizeEvent*) {
  if (!m_index) return;
  if (!m_fitted) {
    fitToWindow();
    return;
  }
  setViewport(m_viewport);
}

void LayoutView::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / 120.0;
  if (notches == 0 || !m_index) return;
  const QPointF at = event->position();
  m_viewport.ZoomAround(at.x(), at.y(), std::pow(kZoomStep, notches));
  setViewport(m_viewport);
  event->accept();
}

void LayoutView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton) {
    m_dragging = true;
    m_lastDrag = event->position().toPoint();
    setCursor(Qt::ClosedHandCursor);
  }
}

void LayoutView::mouseMoveEvent(QMouseEvent* event) {
  const QPointF at = event->position();
  if (m_index) emit cursorMoved(m_viewport.WorldX(at.x()), m_viewport.WorldY(at.y()));
  if (!m_dragging) return;
  const QPoint now = at.toPoint();
  m_viewport.PanPixels(now.x() - m_lastDrag.x(), now.y() - m_lastDrag.y());
  m_lastDrag = now;
  setViewport(m_viewport);
}

void LayoutView::mouseReleaseEvent(QMouseEvent*) {
  if (!m_dragging) return;
  m_dragging = false;
  unsetCursor();
}

void LayoutView::keyPressEvent(QKeyEvent* event) {
  const double dx = width() * kPanFraction, dy = height() * kPanFraction;
  switch (event->key()) {
    case Qt::Key_Left: m_viewport.PanPixels(dx, 0); break;
    case Qt::Key_Right: m_viewport.PanPixels(-dx, 0); break;
    case Qt::Key_Up: m_viewport.PanPixels(0, dy); break;
    case Qt::Key_Down: m_viewport.PanPixels(0, -dy); break;
    default: QWidget::keyPressEvent(event); return;
  }
  setViewport(m_viewport);
}

void LayoutView::leaveEvent(QEvent*) { emit cursorLeft(); }

}  // namespace korvex::lumat
