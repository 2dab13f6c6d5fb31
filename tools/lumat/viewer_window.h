// The viewer's main window: the drawing, the layer list beside it, the view commands, and the
// cursor position in the status bar. The file is read on a thread of its own while the
// window stays live.
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <thread>

#include "lumat/arguments.h"
#include "lumat/renderer.h"

class QLabel;

namespace korvex::lumat {

class LayerPanel;
class LayoutView;
class ViewIndex;

class ViewerWindow : public QMainWindow {
  Q_OBJECT

 public:
  // Receives a message meant for the user (caption, text); a message box unless replaced.
  using MessageSink = std::function<void(const QString& caption, const QString& text)>;

  explicit ViewerWindow(ViewerArguments arguments, QWidget* parent = nullptr);
  ~ViewerWindow() override;

  void setMessageSink(MessageSink sink) { m_messages = std::move(sink); }
  // Starts reading the file; loaded() follows.
  void start();

  LayoutView* view() const { return m_view; }
  LayerPanel* layerPanel() const { return m_layers; }
  const ViewIndex* index() const { return m_index.get(); }
  QString cursorText() const;

 signals:
  void loaded(bool ok);

 private:
  void createActions();
  void createStatusBar();
  void createLayerDock();
  void onLoaded(std::shared_ptr<ViewIndex> index, const QString& error);
  void showCursor(double x, double y);
  void showDrawn(double milliseconds, const RenderStats& stats);
  void updateTitle(const QString& structure);
  void tell(const QString& text);

  ViewerArguments m_arguments;
  MessageSink m_messages;
  LayoutView* m_view = nullptr;
  LayerPanel* m_layers = nullptr;
  QLabel* m_cursor = nullptr;
  std::shared_ptr<ViewIndex> m_index;
  std::thread m_loader;
  QString m_note;  // shown after the drawing time
  int m_decimals = 3;
  double m_unit = 0.001;
};

}  // namespace korvex::lumat
