// Arrays with rotation, reflection and magnification: the viewer places every member where
// KLayout places it, both in the boxes it works with and in the picture it draws.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <array>
#include <cmath>
#include <sstream>

#include "gds/hierarchy.h"
#include "lumat/layer_style.h"
#include "lumat/renderer.h"
#include "lumat/view_index.h"
#include "tools/lumat/layout_builder.h"

namespace korvex::lumat {
namespace {

using testing::LayoutBuilder;
using testing::Placement;
using Box4 = std::array<long, 4>;

struct KLayoutView {
  std::vector<Box4> instances;
  std::vector<Box4> markers;
};

bool RunKLayout(const std::string& path, KLayoutView& out, std::string& failure) {
  QProcess process;
  process.start(QStringLiteral("klayout"),
                {QStringLiteral("-b"), QStringLiteral("-r"),
                 QStringLiteral(KORVEX_SOURCE_DIR "/tests/tools/lumat/klayout_instances.py"), QStringLiteral("-rd"),
                 QStringLiteral("path=") + QString::fromStdString(path), QStringLiteral("-rd"), QStringLiteral("top=TOP")});
  if (!process.waitForFinished(120000) || process.exitCode() != 0) {
    failure = "klayout failed: " + process.readAllStandardError().toStdString();
    return false;
  }
  std::istringstream lines(process.readAllStandardOutput().toStdString());
  std::string kind;
  Box4 b{};
  while (lines >> kind >> b[0] >> b[1] >> b[2] >> b[3]) (kind == "INST" ? out.instances : out.markers).push_back(b);
  return true;
}

Box4 Rounded(const gds::Box& b) {
  return {std::lround(b.min_x), std::lround(b.min_y), std::lround(b.max_x), std::lround(b.max_y)};
}

std::string Layout() {
  // An L with a marker in one corner: every rotation and reflection looks different.
  LayoutBuilder b;
  b.Structure("CHILD").Rect(5, 0, 0, 0, 3000, 1000).Rect(6, 0, 0, 0, 1000, 2000).Rect(10, 0, 2400, 600, 2800, 900);
  b.Structure("TOP")
      .ARef("CHILD", 3, 2, {10000, 0}, {10000 + 3 * 5000, 0}, {10000, 2 * 5000}, Placement{90, false, 1})
      .ARef("CHILD", 2, 3, {0, 30000}, {2 * 6000, 30000 + 2 * 1000}, {-3 * 1000, 30000 + 3 * 6000},
            Placement{180, true, 1})
      .ARef("CHILD", 2, 2, {40000, 40000}, {40000 + 2 * 9000, 40000}, {40000, 40000 + 2 * 9000},
            Placement{270, true, 2})
      .ARef("CHILD", 4, 1, {0, -20000}, {4 * 4000, -20000}, {0, -20000}, Placement{0, true, 0.5})
      .SRef("CHILD", -15000, 0, Placement{90, true, 1});
  return b.Save("aref_klayout");
}

TEST(ArefKLayoutTest, InstancesLandWhereKLayoutPutsThem) {
  if (QStandardPaths::findExecutable(QStringLiteral("klayout")).isEmpty())
    GTEST_SKIP() << "klayout is not installed; the comparison needs it";
  const std::string path = Layout();
  KLayoutView kl;
  std::string failure;
  ASSERT_TRUE(RunKLayout(path, kl, failure)) << failure;
  ASSERT_EQ(kl.instances.size(), 6u + 6u + 4u + 4u + 1u);
  ASSERT_EQ(kl.markers.size(), kl.instances.size());

  ViewIndex index;
  std::string error;
  ASSERT_TRUE(index.Open(path, error)) << error;
  std::uint32_t top = 0;
  ASSERT_TRUE(index.FindStructure("TOP", top, error));

  // The boxes the viewer culls and simplifies with.
  std::vector<Box4> ours;
  const gds::StructureSummary& st = index.summary().structures[top];
  for (std::size_t i = 0; i < st.reference_count; ++i) {
    const gds::Reference& r = index.summary().references[st.first_reference + i];
    for (int row = 0; row < r.rows; ++row)
      for (int col = 0; col < r.columns; ++col)
        ours.push_back(Rounded(Affine{}.Then(gds::PlacementOf(r, col, row)).MapBox(index.TreeBox(r.child))));
  }
  std::sort(ours.begin(), ours.end());
  std::sort(kl.instances.begin(), kl.instances.end());
  EXPECT_EQ(ours, kl.instances);

  // The picture: the marker of each member drawn inside KLayout's box for it, and nowhere else.
  ViewRequest request;
  request.top = top;
  request.viewport = Viewport::Fit(index.TreeBox(top), 900, 900);
  QImage image;
  ASSERT_TRUE(RenderView(index, request, image).complete);
  const QRgb marker = StyleOfSlot(*index.layers().SlotOf(MakeLayerKey(10, 0))).colour.rgba();
  const Viewport& v = request.viewport;
  std::vector<std::uint8_t> claimed(std::size_t(image.width() * image.height()), 0);
  for (const Box4& m : kl.markers) {
    int inside = 0;
    for (int y = int(v.ScreenY(m[3])) - 1; y <= int(v.ScreenY(m[1])) + 1; ++y)
      for (int x = int(v.ScreenX(m[0])) - 1; x <= int(v.ScreenX(m[2])) + 1; ++x) {
        if (!image.valid(x, y)) continue;
        claimed[std::size_t(y * image.width() + x)] = 1;
        inside += image.pixel(x, y) == marker;
      }
    EXPECT_GT(inside, 0) << "no marker drawn in " << m[0] << " " << m[1] << " " << m[2] << " " << m[3];
  }
  int stray = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      stray += image.pixel(x, y) == marker && !claimed[std::size_t(y * image.width() + x)];
  EXPECT_EQ(stray, 0);
}

}  // namespace
}  // namespace korvex::lumat
