// Times the viewer on a large generated layout: building the index, then the first complete
// drawing at fit to window and at a thousand times closer, each first (shapes read from the
// file) and again (shapes already read). With KLayout installed, also its loading time for
// the same file, for comparison.
//   bench_viewer [SIZE] [--file LAYOUT] [--save DIR] [--no-klayout]
// --file times an existing layout instead of a generated one (kept); --save writes the first
// picture of each view to DIR as PNG, for comparing builds.
#include <sys/resource.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
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

// Processor time of the whole process so far (every thread), in milliseconds: on a loaded
// machine the wall time depends on the neighbours, this does not.
double CpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

double Ms(Clock::time_point from) { return std::chrono::duration<double, std::milli>(Clock::now() - from).count(); }

double PeakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

// Anonymous resident memory (heap, stacks): what the process holds beyond the mapped file.
double RssAnonMb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("RssAnon:", 0) == 0) return std::strtod(line.c_str() + 8, nullptr) / 1024.0;
  return -1;
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

void Draw(const ViewIndex& index, const ViewRequest& request, const char* what, const std::string& save) {
  for (const char* pass : {"first", "again"}) {
    QImage image;
    const double cpu = CpuMs();
    const auto start = Clock::now();
    const korvex::lumat::RenderStats stats = korvex::lumat::RenderView(index, request, image);
    const double ms = Ms(start);
    std::printf("  %-26s %-6s %8.0f ms, cpu %5.0f ms   (%llu shapes drawn, %llu as points, %llu placements, %llu small trees)\n",
                what, pass, ms, CpuMs() - cpu, static_cast<unsigned long long>(stats.outlines),
                static_cast<unsigned long long>(stats.points), static_cast<unsigned long long>(stats.instances),
                static_cast<unsigned long long>(stats.small_trees));
    if (!save.empty() && pass == std::string("first")) {
      std::string name = what;
      std::replace_if(name.begin(), name.end(), [](char c) { return c == ' ' || c == ':'; }, '_');
      image.save(QString::fromStdString(save + "/" + name + ".png"), "PNG");
    }
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
  std::string size_text = "1G", given, save;
  bool klayout_wanted = true;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--file" && i + 1 < argc) given = argv[++i];
    else if (arg == "--save" && i + 1 < argc) save = argv[++i];
    else if (arg == "--no-klayout") klayout_wanted = false;
    else size_text = arg;
  }
  const auto size = korvex::gdsgen::ParseSize(size_text);
  if (!size) {
    std::fprintf(stderr, "usage: bench_viewer [SIZE] [--file LAYOUT] [--save DIR] [--no-klayout]   (SIZE e.g. 1G, 200M)\n");
    return 2;
  }
  if (!save.empty()) std::filesystem::create_directories(save);
  const std::string path = !given.empty() ? given :
      (std::filesystem::temp_directory_path() / ("korvex_bench_viewer_" + std::to_string(::getpid()) + ".gds")).string();
  korvex::gdsgen::GeneratorOptions options;
  options.seed = 7;
  options.size = *size;
  korvex::gdsgen::GeneratorStats generated;
  if (given.empty()) {
    korvex::gds::FileSink sink;
    std::string error;
    if (!sink.Open(path) || !korvex::gdsgen::GenerateLayout(options, sink, generated, error) || !sink.Close()) {
      std::fprintf(stderr, "bench_viewer: cannot write %s: %s\n", path.c_str(), error.c_str());
      std::filesystem::remove(path);
      return 1;
    }
    std::printf("viewer benchmark: %s, %llu bytes, %u structures, %llu elements, view %dx%d\n", path.c_str(),
                static_cast<unsigned long long>(generated.bytes), generated.structures,
                static_cast<unsigned long long>(generated.elements), kWidth, kHeight);
  } else {
    std::printf("viewer benchmark: %s, %llu bytes, view %dx%d\n", path.c_str(),
                static_cast<unsigned long long>(std::filesystem::file_size(path)), kWidth, kHeight);
  }

  int status = 0;
  {
    ViewIndex index;
    std::string error;
    const double cpu = CpuMs();
    const auto start = Clock::now();
    if (!index.Open(path, error)) {
      std::fprintf(stderr, "bench_viewer: %s\n", error.c_str());
      status = 1;
    } else {
      const double index_ms = Ms(start);
      std::printf("  %-26s        %8.0f ms, cpu %5.0f ms   (limit: a few seconds; %zu layer/datatype pairs, %zu parts; anonymous memory %.0f MB)\n",
                  "index", index_ms, CpuMs() - cpu, index.layers().size(), index.summary().parts, RssAnonMb());
      ViewRequest request;
      request.top = index.DefaultTop().value_or(0);
      request.viewport = Viewport::Fit(index.TreeBox(request.top), kWidth, kHeight);
      Draw(index, request, "fit to window", save);
      double x = request.viewport.centre_x, y = request.viewport.centre_y;
      ContentPoint(index, request.top, x, y);
      request.viewport.scale *= 1000;
      request.viewport.centre_x = x;
      request.viewport.centre_y = y;
      Draw(index, request, "1:1000 of fit", save);
      std::printf("  limit per view after the index: 1000 ms; peak resident memory %.0f MB, anonymous now %.0f MB\n",
                  PeakRssMb(), RssAnonMb());
    }
  }
  const double klayout = klayout_wanted ? KLayoutLoadSeconds(path) : -1;
  if (klayout >= 0) std::printf("  KLayout loading the same file: %.1f s\n", klayout);
  else if (klayout_wanted) std::printf("  KLayout: not installed, no comparison\n");
  if (given.empty()) std::filesystem::remove(path);
  return status;
}
