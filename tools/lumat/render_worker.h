// Draws views on a thread of its own. A new request cancels the drawing under way, so the
// window only ever waits for the latest view; pictures arrive as signals on the window's
// thread, first partial ones, then the finished one.
#pragma once

#include <QImage>
#include <QObject>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

#include "lumat/renderer.h"

namespace korvex::lumat {

class RenderWorker : public QObject {
  Q_OBJECT

 public:
  explicit RenderWorker(const ViewIndex& index, QObject* parent = nullptr);
  ~RenderWorker() override;

  void Request(ViewRequest request);

 signals:
  // `finished` is false for a picture of a drawing still under way; `milliseconds` counts
  // from the request to this picture.
  void pictureReady(const QImage& image, const korvex::lumat::Viewport& viewport, bool finished,
                    const korvex::lumat::RenderStats& stats, double milliseconds);

 private:
  void Loop();
  void Deliver(const QImage& image, const ViewRequest& request, bool finished, const RenderStats& stats,
               std::uint64_t generation, std::chrono::steady_clock::time_point started);

  const ViewIndex& m_index;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::optional<ViewRequest> m_pending;
  bool m_quit = false;
  std::atomic<std::uint64_t> m_generation{0};
  std::thread m_thread;
};

}  // namespace korvex::lumat
