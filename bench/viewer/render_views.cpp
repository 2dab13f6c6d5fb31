// Draws a fixed set of views of each layout given and saves them as PNG files, so that two
// builds of the viewer can be compared picture by picture (cmp on the files):
//   render_views OUTDIR FILE...
// Per file: the default top at fit to window and at 4, 32 and 256 times closer around points
// of the fit view, then the first structures of the file each at fit to window.
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "lumat/renderer.h"
#include "lumat/view_index.h"

namespace {

using korvex::lumat::ViewIndex;
using korvex::lumat::ViewRequest;
using korvex::lumat::Viewport;

constexpr int kWidth = 1280, kHeight = 800;
constexpr std::size_t kMaxStructures = 40;

bool Save(const ViewIndex& index, const ViewRequest& request, const std::filesystem::path& file) {
  QImage image;
  korvex::lumat::RenderView(index, request, image);
  return image.save(QString::fromStdString(file.string()), "PNG");
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: render_views OUTDIR FILE...\n");
    return 2;
  }
  const std::filesystem::path out = argv[1];
  std::filesystem::create_directories(out);
  int status = 0;
  for (int i = 2; i < argc; ++i) {
    const std::string stem = std::filesystem::path(argv[i]).stem().string();
    ViewIndex index;
    std::string error;
    if (!index.Open(argv[i], error)) {
      std::fprintf(stderr, "%s: %s\n", argv[i], error.c_str());
      status = 1;
      continue;
    }
    ViewRequest request;
    request.top = index.DefaultTop().value_or(0);
    const Viewport fit = Viewport::Fit(index.TreeBox(request.top), kWidth, kHeight);
    int saved = 0;
    auto save = [&](const std::string& name) {
      std::string file = stem;
      file.append(".").append(name).append(".png");
      if (Save(index, request, out / file)) ++saved;
      else status = 1;
    };
    request.viewport = fit;
    save("fit");
    // Closer views around the centre and two off-centre points of the fit view.
    const double points[3][2] = {{0.5, 0.5}, {0.3, 0.4}, {0.7, 0.65}};
    for (double zoom : {4.0, 32.0, 256.0}) {
      for (int p = 0; p < 3; ++p) {
        request.viewport = fit;
        request.viewport.centre_x = fit.WorldX(points[p][0] * kWidth);
        request.viewport.centre_y = fit.WorldY(points[p][1] * kHeight);
        request.viewport.scale = fit.scale * zoom;
        save("zoom" + std::to_string(int(zoom)) + "_" + std::to_string(p));
      }
    }
    const auto& listed = index.summary().listed;
    for (std::size_t k = 0; k < listed.size() && k < kMaxStructures; ++k) {
      request.top = listed[k];
      request.viewport = Viewport::Fit(index.TreeBox(request.top), kWidth, kHeight);
      save(std::to_string(k).insert(0, 1, 's'));
    }
    std::printf("%s: %d pictures\n", argv[i], saved);
  }
  return status;
}
