#include "lumat/viewer_window.h"

#include <QAction>
#include <QDockWidget>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <cmath>

#include "lumat/layer_panel.h"
#include "lumat/layout_view.h"
#include "lumat/view_index.h"

namespace korvex::lumat {
namespace {

QString Latin1(const std::string& s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }

}  // namespace

ViewerWindow::ViewerWindow(ViewerArguments arguments, QWidget* parent)
    : QMainWindow(parent), m_arguments(std::move(arguments)) {
  m_view = new LayoutView(this);
  setCentralWidget(m_view);
  createActions();
  createLayerDock();
  createStatusBar();
  connect(m_view, &LayoutView::cursorMoved, this, &ViewerWindow::showCursor);
  connect(m_view, &LayoutView::cursorLeft, this, [this] { m_cursor->clear(); });
  connect(m_view, &LayoutView::drawingStarted, this, [this] { statusBar()->showMessage(tr("Drawing...")); });
  connect(m_view, &LayoutView::drawingFinished, this, &ViewerWindow::showDrawn);
  m_messages = [this](const QString& caption, const QString& text) { QMessageBox::warning(this, caption, text); };
  updateTitle(QString());
  resize(1100, 760);
}

ViewerWindow::~ViewerWindow() {
  // The drawing thread reads the index: stop it before the index goes.
  m_view->showStructure(nullptr, 0);
  if (m_loader.joinable()) m_loader.join();
}

void ViewerWindow::createActions() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  QAction* quit = file->addAction(tr("&Quit"), this, &QWidget::close);
  quit->setShortcut(QKeySequence::Quit);

  QMenu* view = menuBar()->addMenu(tr("&View"));
  QAction* fit = view->addAction(tr("&Fit to Window"), m_view, &LayoutView::fitToWindow);
  fit->setShortcuts({QKeySequence(Qt::Key_Home), QKeySequence(Qt::Key_F)});
  QAction* in = view->addAction(tr("Zoom &In"), m_view, &LayoutView::zoomIn);
  in->setShortcuts({QKeySequence(Qt::Key_Plus), QKeySequence(Qt::Key_Equal), QKeySequence::ZoomIn});
  QAction* out = view->addAction(tr("Zoom &Out"), m_view, &LayoutView::zoomOut);
  out->setShortcuts({QKeySequence(Qt::Key_Minus), QKeySequence::ZoomOut});
}

void ViewerWindow::createLayerDock() {
  m_layers = new LayerPanel(this);
  auto* dock = new QDockWidget(tr("Layers"), this);
  dock->setObjectName("layers");
  dock->setWidget(m_layers);
  dock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
  addDockWidget(Qt::RightDockWidgetArea, dock);
  connect(m_layers, &LayerPanel::visibilityChanged, m_view, &LayoutView::setVisibleLayers);
}

void ViewerWindow::createStatusBar() {
  m_cursor = new QLabel(this);
  m_cursor->setMinimumWidth(260);
  statusBar()->addPermanentWidget(m_cursor);
}

void ViewerWindow::start() {
  const std::string path = m_arguments.file;
  statusBar()->showMessage(tr("Reading %1...").arg(QString::fromLocal8Bit(path)));
  m_loader = std::thread([this, path] {
    auto index = std::make_shared<ViewIndex>();
    std::string error;
    if (!index->Open(path, error)) index.reset();
    QMetaObject::invokeMethod(
        this, [this, index, message = QString::fromLocal8Bit(error)] { onLoaded(index, message); },
        Qt::QueuedConnection);
  });
}

void ViewerWindow::onLoaded(std::shared_ptr<ViewIndex> index, const QString& error) {
  if (!index) {
    statusBar()->clearMessage();
    const QString file = m_arguments.file.empty() ? tr("(no file name)") : QString::fromLocal8Bit(m_arguments.file);
    tell(tr("Cannot show %1:\n%2").arg(file, error));
    emit loaded(false);
    close();
    return;
  }
  m_index = std::move(index);
  std::uint32_t top = m_index->DefaultTop().value_or(0);
  if (!m_arguments.top.empty()) {
    std::uint32_t chosen = 0;
    std::string why;
    if (m_index->FindStructure(m_arguments.top, chosen, why)) {
      top = chosen;
    } else {
      tell(tr("Cannot show the structure %1: %2.\nShowing %3 instead.")
               .arg(QString::fromLocal8Bit(m_arguments.top), Latin1(why), Latin1(m_index->NameOf(top))));
    }
  }
  const double dbu_per_unit = 1.0 / m_index->UserUnitsPerDbu();
  m_unit = m_index->UserUnitsPerDbu();
  m_decimals = std::clamp(static_cast<int>(std::ceil(std::log10(dbu_per_unit) - 1e-9)), 0, 9);
  m_layers->setLayers(m_index->layers());
  m_view->setVisibleLayers(m_layers->visibleLayers());
  m_view->showStructure(m_index.get(), top);
  updateTitle(Latin1(m_index->NameOf(top)));
  // A damaged file deserves a message; odd references only a note beside the drawing times.
  if (m_index->broken()) tell(Latin1(m_index->warning()));
  else m_note = Latin1(m_index->warning());
  emit loaded(true);
}

QString ViewerWindow::cursorText() const { return m_cursor->text(); }

void ViewerWindow::showCursor(double x, double y) {
  m_cursor->setText(tr("X %1   Y %2").arg(x * m_unit, 0, 'f', m_decimals).arg(y * m_unit, 0, 'f', m_decimals));
}

void ViewerWindow::showDrawn(double milliseconds, const RenderStats& stats) {
  QString text = tr("Drawn in %1 ms").arg(milliseconds, 0, 'f', 0);
  if (stats.limited) text += tr(" (too many placements: the rest shown as boxes)");
  if (!m_note.isEmpty()) text += QStringLiteral("   ") + m_note;
  statusBar()->showMessage(text);
}

void ViewerWindow::updateTitle(const QString& structure) {
  QStringList parts;
  if (!m_arguments.title.empty()) parts << QString::fromLocal8Bit(m_arguments.title);
  if (!structure.isEmpty()) parts << structure;
  if (!m_arguments.file.empty()) parts << QFileInfo(QString::fromLocal8Bit(m_arguments.file)).fileName();
  if (parts.isEmpty()) parts << QStringLiteral("lumat.exe");
  setWindowTitle(parts.join(QStringLiteral(" - ")));
}

void ViewerWindow::tell(const QString& text) { m_messages(windowTitle(), text); }

}  // namespace korvex::lumat
