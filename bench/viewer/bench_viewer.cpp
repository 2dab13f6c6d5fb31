// Times the viewer on a large generated layout: building the index, then the first complete
// drawing at fit to window and at a thousand times closer, each first (shapes read from the
// file) and again (shapes already read). With KLayout installed, also its loading time for
// the same file, for comparison.
#include <sys/resource.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "gds/record_writer.h"
#include "gdsgen/generator.h"
#include "lumat/renderer.h"
#include "lumat/view_index.h"

namespace {

using Clock = std::chrono::steady_clock;
using korvex::lumat::Affine;
using korvex::lumat::ViewIndex;
using korvex::lumat::ViewRequest;
using korvex::lumat::Viewport;

constexpr int kWidth = 1280, kHeight = 800;

double Ms(Clock::time_point from) { return std::chrono::duration<double, std::milli>(Clock::now() - from).count(); }

double PeakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

// A point with content: down the first references from the top to a structure with shapes,
// the centre of its first block, in the top's coordinates.
bool ContentPoint(const ViewIndex& index, std::uint32_t top, double& x, double& y) {
  Affine m;
  std::uint32_t s = top;
  for (int depth = 0; depth < 64; ++depth) {
    const korvex::lumat::ShapeTable* table = index.Shapes(s, {});
    if (table && !table->blocks.empty() && depth > 0) {
      const korvex::lumat::IntBox& b = table->blocks.front().box;
      m.Apply((double(b.min_x) + b.max_x) / 2, (double(b.min_y) + b.max_y) / 2, x, y);
      return true;
    }
    const korvex::gds::StructureSummary& st = index.summary().structures[s];
    if (st.reference_count == 0) return false;
    const korvex::gds::Reference& r = index.summary().references[st.first_reference];
    m = m.Then(korvex::gds::PlacementOf(r, 0, 0));
    s = r.child;
  }
  return false;
}

void Draw(const ViewIndex& index, const ViewRequest& request, const char* what) {
  for (const char* pass : {"first", "again"}) {
    QImage image;
    const auto start = Clock::now();
    const korvex::lumat::RenderStats stats = korvex::lumat::RenderView(index, request, image);
    const double ms = Ms(start);
    std::printf("  %-26s %-6s %8.0f ms   (%llu shapes drawn, %llu as points, %llu placements, %llu small trees)\n",
                what, pass, ms, static_cast<unsigned long long>(stats.outlines),
                static_cast<unsigned long long>(stats.points), static_cast<unsigned long long>(stats.instances),
                static_cast<unsigned long long>(stats.small_trees));
  }
}

double KLayoutLoadSeconds(const std::string& path) {
  if (QStandardPaths::findExecutable(QStringLiteral("klayout")).isEmpty()) return -1;
  const std::string script = path + ".load.py";
  std::ofstream(script) << "import pya\nly = pya.Layout()\nly.read(path)\n";
  QProcess process;
  const auto start = Clock::now();
  process.start(QStringLiteral("klayout"), {QStringLiteral("-b"), QStringLiteral("-r"), QString::fromStdString(script),
                                             QStringLiteral("-rd"), QStringLiteral("path=") + QString::fromStdString(path)});
  const bool ok = process.waitForFinished(600000) && process.exitCode() == 0;
  const double seconds = Ms(start) / 1000.0;
  std::filesystem::remove(script);
  return ok ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  const auto size = korvex::gdsgen::ParseSize(argc > 1 ? argv[1] : "1G");
  if (!size) {
    std::fprintf(stderr, "usage: bench_viewer [SIZE]   (e.g. 1G, 200M)\n");
    return 2;
  }
  const std::string path =
      (std::filesystem::temp_directory_path() / ("korvex_bench_viewer_" + std::to_string(::getpid()) + ".gds")).string();
  korvex::gdsgen::GeneratorOptions options;
  options.seed = 7;
  options.size = *size;
  korvex::gdsgen::GeneratorStats generated;
  {
    korvex::gds::FileSink sink;
    std::string error;
    if (!sink.Open(path) || !korvex::gdsgen::GenerateLayout(options, sink, generated, error) || !sink.Close()) {
      std::fprintf(stderr, "bench_viewer: cannot write %s: %s\n", path.c_str(), error.c_str());
      std::filesystem::remove(path);
      return 1;
    }
  }
  std::printf("viewer benchmark: %s, %llu bytes, %u structures, %llu elements, view %dx%d\n", path.c_str(),
              static_cast<unsigned long long>(generated.bytes), generated.structures,
              static_cast<unsigned long long>(generated.elements), kWidth, kHeight);

  int status = 0;
  {
    ViewIndex index;
    std::string error;
    const auto start = Clock::now();
    if (!index.Open(path, error)) {
      std::fprintf(stderr, "bench_viewer: %s\n", error.c_str());
      status = 1;
    } else {
      std::printf("  %-26s        %8.0f ms   (limit: a few seconds; %zu layer/datatype pairs)\n", "index", Ms(start),
                  index.layers().size());
      ViewRequest request;
      request.top = index.DefaultTop().value_or(0);
      request.viewport = Viewport::Fit(index.TreeBox(request.top), kWidth, kHeight);
      Draw(index, request, "fit to window");
      double x = request.viewport.centre_x, y = request.viewport.centre_y;
      ContentPoint(index, request.top, x, y);
      request.viewport.scale *= 1000;
      request.viewport.centre_x = x;
      request.viewport.centre_y = y;
      Draw(index, request, "1:1000 of fit");
      std::printf("  limit per view after the index: 1000 ms; peak resident memory %.0f MB\n", PeakRssMb());
    }
  }
  const double klayout = KLayoutLoadSeconds(path);
  if (klayout >= 0) std::printf("  KLayout loading the same file: %.1f s\n", klayout);
  else std::printf("  KLayout: not installed, no comparison\n");
  std::filesystem::remove(path);
  return status;
}
