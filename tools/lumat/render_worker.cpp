#include "lumat/render_worker.h"

#include <QMetaObject>

namespace korvex::lumat {

RenderWorker::RenderWorker(const ViewIndex& index, QObject* parent)
    : QObject(parent), m_index(index), m_thread([this] { Loop(); }) {}

RenderWorker::~RenderWorker() {
  {
    std::lock_guard lock(m_mutex);
    m_quit = true;
    ++m_generation;
  }
  m_wake.notify_one();
  m_thread.join();
}

void RenderWorker::Request(ViewRequest request) {
  {
    std::lock_guard lock(m_mutex);
    m_pending = std::move(request);
    ++m_generation;
  }
  m_wake.notify_one();
}

void RenderWorker::Loop() {
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_wake.wait(lock, [this] { return m_quit || m_pending; });
    if (m_quit) return;
    const ViewRequest request = std::move(*m_pending);
    m_pending.reset();
    const std::uint64_t generation = m_generation.load();
    lock.unlock();
    const auto started = std::chrono::steady_clock::now();
    RenderControl control;
    control.cancelled = [this, generation] { return m_generation.load() != generation; };
    control.partial = [&](const QImage& image) { Deliver(image, request, false, {}, generation, started); };
    QImage image;
    const RenderStats stats = RenderView(m_index, request, image, control);
    if (stats.complete) Deliver(image, request, true, stats, generation, started);
    lock.lock();
  }
}

void RenderWorker::Deliver(const QImage& image, const ViewRequest& request, bool finished, const RenderStats& stats,
                           std::uint64_t generation, std::chrono::steady_clock::time_point started) {
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
  const Viewport viewport = request.viewport;
  // Runs on the window's thread; a picture of a view that was replaced meanwhile is dropped.
  QMetaObject::invokeMethod(
      this,
      [this, image, viewport, finished, stats, generation, ms] {
        if (generation == m_generation.load()) emit pictureReady(image, viewport, finished, stats, ms);
      },
      Qt::QueuedConnection);
}

}  // namespace korvex::lumat
