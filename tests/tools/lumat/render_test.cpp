// Offscreen drawing of layouts with known shapes: what lands where on the picture.
#include <gtest/gtest.h>

#include <QImage>
#include <atomic>

#include "lumat/layer_style.h"
#include "lumat/renderer.h"
#include "lumat/view_index.h"
#include "tools/lumat/layout_builder.h"

namespace korvex::lumat {
namespace {

using testing::LayoutBuilder;
using testing::Placement;

class RenderTest : public ::testing::Test {
 protected:
  void Open(const LayoutBuilder& layout, const std::string& stem) {
    std::string error;
    ASSERT_TRUE(m_index.Open(layout.Save(stem), error)) << error;
  }
  std::uint32_t Structure(const std::string& name) {
    std::uint32_t s = 0;
    std::string error;
    EXPECT_TRUE(m_index.FindStructure(name, s, error)) << error;
    return s;
  }
  QRgb ColourOf(int layer, int datatype) const {
    const auto slot = m_index.layers().SlotOf(MakeLayerKey(std::uint16_t(layer), std::uint16_t(datatype)));
    EXPECT_TRUE(slot.has_value());
    return StyleOfSlot(slot.value_or(0)).colour.rgba();
  }
  // Draws `top` with one pixel per `dbu_per_pixel` units, the origin at the picture's
  // bottom-left corner (pixel (0, height - 1)).
  RenderStats Draw(const std::string& top, double dbu_per_pixel, int width = 200, int height = 200) {
    m_request.top = Structure(top);
    m_request.viewport.width = width;
    m_request.viewport.height = height;
    m_request.viewport.scale = 1.0 / dbu_per_pixel;
    m_request.viewport.centre_x = width / 2.0 * dbu_per_pixel;
    m_request.viewport.centre_y = height / 2.0 * dbu_per_pixel;
    return RenderView(m_index, m_request, m_image);
  }
  // Pixels of `colour` in the layout box (x0, y0)-(x1, y1), in database units.
  int Count(QRgb colour, double x0, double y0, double x1, double y1) const {
    const Viewport& v = m_request.viewport;
    int n = 0;
    for (int y = int(v.ScreenY(y1)); y <= int(v.ScreenY(y0)); ++y)
      for (int x = int(v.ScreenX(x0)); x <= int(v.ScreenX(x1)); ++x)
        if (m_image.valid(x, y) && m_image.pixel(x, y) == colour) ++n;
    return n;
  }
  int CountAll(QRgb colour) const {
    int n = 0;
    for (int y = 0; y < m_image.height(); ++y)
      for (int x = 0; x < m_image.width(); ++x) n += m_image.pixel(x, y) == colour;
    return n;
  }
  void Hide(int layer, int datatype) {
    const auto slot = m_index.layers().SlotOf(MakeLayerKey(std::uint16_t(layer), std::uint16_t(datatype)));
    ASSERT_TRUE(slot.has_value());
    m_request.visible.assign(m_index.layers().size(), true);
    m_request.visible[*slot] = false;
  }

  ViewIndex m_index;
  ViewRequest m_request;
  QImage m_image;
};

TEST_F(RenderTest, BoundaryFillsItsSquareAndNothingElse) {
  LayoutBuilder b;
  b.Structure("TOP").Rect(1, 0, 500, 500, 1500, 1500).Rect(2, 0, 0, 0, 100, 100);
  Open(b, "square");
  const RenderStats stats = Draw("TOP", 10);  // the square covers pixels 50..150
  EXPECT_TRUE(stats.complete);
  const QRgb red = ColourOf(1, 0);
  // Edges solid, the inside patterned: well over a tenth of its pixels, none outside.
  const int inside = Count(red, 500, 500, 1500, 1500);
  EXPECT_GT(inside, 100 * 100 / 10);
  EXPECT_EQ(CountAll(red), inside);
  EXPECT_EQ(m_image.pixel(int(m_request.viewport.ScreenX(500)), int(m_request.viewport.ScreenY(1000))), red);
  EXPECT_EQ(m_image.pixel(100, 100 - 50), red) << "top edge of the square";
}

TEST_F(RenderTest, HiddenLayerLeavesNothingWhereItsShapesAre) {
  LayoutBuilder b;
  b.Structure("CELL").Rect(1, 0, 0, 0, 400, 400).Rect(3, 2, 600, 600, 900, 900);
  b.Structure("TOP").SRef("CELL", 200, 200);
  Open(b, "hidden");
  Hide(1, 0);
  Draw("TOP", 10);
  EXPECT_EQ(CountAll(ColourOf(1, 0)), 0);
  EXPECT_GT(Count(ColourOf(3, 2), 800, 800, 1100, 1100), 30);
}

TEST_F(RenderTest, RotatedAndReflectedReferencesPlaceTheChildWhereTheTransformSays) {
  // An L of two boxes makes every rotation and reflection distinguishable.
  LayoutBuilder b;
  b.Structure("L").Rect(5, 0, 0, 0, 300, 100).Rect(6, 0, 0, 0, 100, 200);
  b.Structure("TOP").SRef("L", 1000, 1000, Placement{90, false, 1}).SRef("L", 1500, 500, Placement{0, true, 2});
  Open(b, "rotated");
  Draw("TOP", 10);
  // 90 degrees about (1000, 1000): the long arm (5/0) points up, the short one (6/0) left.
  EXPECT_GT(Count(ColourOf(5, 0), 900, 1000, 1000, 1300), 30);
  EXPECT_GT(Count(ColourOf(6, 0), 800, 1000, 1000, 1100), 20);
  // Reflected about X and doubled at (1500, 500): both arms point down.
  EXPECT_GT(Count(ColourOf(5, 0), 1500, 300, 2100, 500), 100);
  EXPECT_GT(Count(ColourOf(6, 0), 1500, 100, 1700, 500), 50);
  EXPECT_EQ(Count(ColourOf(5, 0), 1510, 510, 2100, 900), 0) << "nothing above the reflected copy";
}

TEST_F(RenderTest, WidePathIsDrawnAsItsOutline) {
  LayoutBuilder b;
  b.Structure("TOP").Path(4, 0, 200, {{200, 1000}, {1800, 1000}}, 2);
  Open(b, "path");
  Draw("TOP", 10);
  const QRgb colour = ColourOf(4, 0);
  EXPECT_GT(Count(colour, 100, 900, 1900, 1100), 200);
  EXPECT_EQ(Count(colour, 0, 0, 2000, 850), 0);
  // Type 2 reaches half a width beyond the end points.
  EXPECT_GT(Count(colour, 100, 900, 190, 1100), 0);
}

TEST_F(RenderTest, ShapesBelowAPixelStillShowAsPoints) {
  LayoutBuilder b;
  b.Structure("TOP").Rect(1, 0, 0, 0, 1'000'000, 10).Rect(2, 0, 500'000, 500'000, 500'003, 500'003);
  Open(b, "tiny");
  const RenderStats stats = Draw("TOP", 10'000);
  EXPECT_GE(stats.points, 1u);
  EXPECT_EQ(Count(ColourOf(2, 0), 480'000, 480'000, 520'000, 520'000), 1);
}

TEST_F(RenderTest, HugeArrayOfTinyCellsCostsAboutThePixelsItCovers) {
  // 30000 x 30000 placements at fit: drawing each would take minutes.
  LayoutBuilder b;
  b.Structure("BIT").Rect(1, 0, 0, 0, 8, 8);
  b.Structure("TOP").ARef("BIT", 30000, 30000, {0, 0}, {300000, 0}, {0, 300000});
  Open(b, "huge_array");
  const RenderStats stats = Draw("TOP", 1500);
  EXPECT_TRUE(stats.complete);
  EXPECT_LT(stats.instances + stats.small_trees, 10'000u);
  const QRgb grey = SmallTreeColour().rgba();
  EXPECT_GT(Count(grey, 0, 0, 300000, 300000), 150 * 150);
}

TEST_F(RenderTest, ArrayZoomedInDrawsOnlyTheInstancesInView) {
  LayoutBuilder b;
  b.Structure("BIT").Rect(1, 0, 0, 0, 80, 80);
  b.Structure("TOP").ARef("BIT", 30000, 30000, {0, 0}, {3'000'000, 0}, {0, 3'000'000});
  Open(b, "array_zoom");
  const RenderStats stats = Draw("TOP", 2);  // 400 x 400 units: about four by four cells
  EXPECT_LT(stats.instances, 100u);
  EXPECT_GT(Count(ColourOf(1, 0), 100, 100, 180, 180), 100);
  EXPECT_EQ(Count(ColourOf(1, 0), 83, 83, 97, 97), 0) << "the gap between cells";
}

TEST_F(RenderTest, ReferenceCycleIsDrawnOnceAndEnds) {
  LayoutBuilder b;
  b.Structure("A").Rect(1, 0, 0, 0, 100, 100).SRef("B", 0, 0);
  b.Structure("B").Rect(2, 0, 200, 200, 300, 300).SRef("A", 0, 0);
  b.Structure("TOP").SRef("A", 0, 0);
  Open(b, "cycle");
  const RenderStats stats = Draw("TOP", 2);
  EXPECT_TRUE(stats.complete);
  EXPECT_GT(Count(ColourOf(1, 0), 0, 0, 100, 100), 100);
  EXPECT_GT(Count(ColourOf(2, 0), 200, 200, 300, 300), 100);
}

TEST_F(RenderTest, CancelledDrawingSaysSo) {
  LayoutBuilder b;
  b.Structure("BIT").Rect(1, 0, 0, 0, 100, 100);
  b.Structure("TOP").ARef("BIT", 1000, 1000, {0, 0}, {200000, 0}, {0, 200000});
  Open(b, "cancel");
  std::atomic<int> asked{0};
  RenderControl control;
  control.cancelled = [&asked] { return ++asked > 2; };
  m_request.top = Structure("TOP");
  m_request.viewport = Viewport::Fit(m_index.TreeBox(m_request.top), 800, 800);
  m_request.viewport.scale *= 5;
  const RenderStats stats = RenderView(m_index, m_request, m_image, control);
  EXPECT_FALSE(stats.complete);
  EXPECT_LT(stats.instances, 40'000u);
}

// "CELL" and 7 make "CELL7".
std::string Numbered(const char* stem, int n) {
  std::string name = stem;
  name += std::to_string(n);
  return name;
}

TEST(RenderReadAheadTest, ReadingAheadOnOtherThreadsDrawsTheSamePicture) {
  // Many cells of their own layers under several levels: the threads reading ahead and the
  // drawing share the tables, and an interrupted drawing leaves nothing half read behind.
  LayoutBuilder b;
  for (int c = 0; c < 40; ++c) {
    b.Structure(Numbered("CELL", c))
        .Rect(c % 7, c % 3, 0, 0, 400 + 10 * c, 300)
        .Rect(c % 5 + 10, 0, 50, 50, 120, 900 - 5 * c)
        .Text(63, c % 4, 10, 10, Numbered("C", c));
  }
  for (int m = 0; m < 8; ++m) {
    LayoutBuilder& mid = b.Structure(Numbered("MID", m));
    for (int c = 0; c < 10; ++c) mid.SRef(Numbered("CELL", (m * 5 + c) % 40), c * 1000, (c % 3) * 1200);
    mid.ARef(Numbered("CELL", m), 20, 10, {0, 4000}, {20 * 700, 4000}, {0, 4000 + 10 * 1000});
  }
  LayoutBuilder& top = b.Structure("TOP");
  for (int m = 0; m < 8; ++m) top.SRef(Numbered("MID", m), (m % 4) * 12000, (m / 4) * 9000, {m % 2 ? 90.0 : 0.0});
  const std::string path = b.Save("read_ahead");

  auto draw = [&](int readers, const CancelFn& cancelled, ViewIndex& index, QImage& image) {
    ViewRequest request;
    request.top = *index.DefaultTop();
    request.viewport = Viewport::Fit(index.TreeBox(request.top), 640, 480);
    RenderControl control;
    control.readers = readers;
    control.cancelled = cancelled;
    return RenderView(index, request, image, control);
  };
  std::string error;
  ViewIndex alone, shared;
  ASSERT_TRUE(alone.Open(path, error)) << error;
  ASSERT_TRUE(shared.Open(path, error)) << error;
  QImage expected, image;
  const RenderStats one = draw(0, {}, alone, expected);
  // Over a thousand placements: the drawing asks, and stops, before it ends.
  EXPECT_FALSE(draw(3, [] { return true; }, shared, image).complete);
  const RenderStats many = draw(3, {}, shared, image);
  EXPECT_TRUE(many.complete);
  EXPECT_EQ(one.outlines, many.outlines);
  EXPECT_EQ(one.points, many.points);
  EXPECT_EQ(one.instances, many.instances);
  EXPECT_GT(one.outlines, 200u);
  EXPECT_TRUE(image == expected);
}

}  // namespace
}  // namespace korvex::lumat
