// The window as a user meets it: title, cursor position, layer list, keys, unreadable files.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

#include "lumat/layer_panel.h"
#include "lumat/layer_style.h"
#include "lumat/layout_view.h"
#include "lumat/view_index.h"
#include "lumat/viewer_window.h"
#include "tools/lumat/layout_builder.h"

namespace korvex::lumat {
namespace {

using testing::LayoutBuilder;

struct Shown {
  QString caption;
  QString text;
};

class ViewerWindowTest : public ::testing::Test {
 protected:
  // Opens `args` in a window that collects its messages; waits for the file to be read.
  std::unique_ptr<ViewerWindow> Open(ViewerArguments args, bool expect_ok = true) {
    auto window = std::make_unique<ViewerWindow>(std::move(args));
    window->setMessageSink([this](const QString& caption, const QString& text) { m_shown.push_back({caption, text}); });
    window->resize(800, 600);
    window->show();
    QSignalSpy loaded(window.get(), &ViewerWindow::loaded);
    window->start();
    EXPECT_TRUE(loaded.wait(20000));
    EXPECT_EQ(loaded.count() > 0 && loaded.at(0).at(0).toBool(), expect_ok);
    return window;
  }
  // Waits for the finished picture of the current view.
  static bool WaitForPicture(LayoutView* view) {
    QSignalSpy done(view, &LayoutView::drawingFinished);
    return view->pictureFinished() || done.wait(20000);
  }
  static ViewerArguments Args(const std::string& file, const std::string& top = {}) {
    ViewerArguments a;
    a.file = file;
    a.has_file = true;
    a.title = "Lumat";
    a.top = top;
    return a;
  }
  static int CountColour(const QImage& image, QRgb colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == colour;
    return n;
  }

  std::vector<Shown> m_shown;
};

std::string TwoCellLayout() {
  LayoutBuilder b;
  b.Structure("INNER").Rect(1, 0, 0, 0, 4000, 4000);
  b.Structure("MAIN").SRef("INNER", 0, 0).Rect(2, 0, 5000, 0, 9000, 4000);
  b.Structure("OTHER").Rect(3, 0, 0, 0, 100, 100);
  return b.Save("window");
}

TEST_F(ViewerWindowTest, TitleNamesTheWindowTheStructureAndTheFile) {
  auto window = Open(Args(TwoCellLayout(), "OTHER"));
  EXPECT_EQ(window->windowTitle(), "Lumat - OTHER - window.gds");
  EXPECT_TRUE(m_shown.empty());
}

TEST_F(ViewerWindowTest, UnknownTopStructureIsReportedAndTheDefaultShown) {
  auto window = Open(Args(TwoCellLayout(), "NO_SUCH_CELL"));
  ASSERT_EQ(m_shown.size(), 1u);
  EXPECT_TRUE(m_shown[0].text.contains("NO_SUCH_CELL"));
  EXPECT_EQ(window->windowTitle(), "Lumat - MAIN - window.gds");
}

TEST_F(ViewerWindowTest, UnreadableFileShowsTheReasonInAMessage) {
  const std::string missing = testing::TempPath("missing.gds");
  auto window = Open(Args(missing), false);
  ASSERT_EQ(m_shown.size(), 1u);
  EXPECT_TRUE(m_shown[0].text.contains(QString::fromStdString(missing)));
  EXPECT_TRUE(m_shown[0].text.contains("No such file")) << m_shown[0].text.toStdString();
  EXPECT_FALSE(window->isVisible());

  m_shown.clear();
  auto nameless = Open(Args(""), false);
  ASSERT_EQ(m_shown.size(), 1u);
}

TEST_F(ViewerWindowTest, DamagedFileIsReportedAndWhatCameBeforeIsShown) {
  const std::string path = TwoCellLayout();
  testing::DropTail(path, 30);
  auto window = Open(Args(path));
  ASSERT_EQ(m_shown.size(), 1u);
  EXPECT_TRUE(m_shown[0].text.contains("offset")) << m_shown[0].text.toStdString();
  EXPECT_TRUE(window->isVisible());
}

TEST_F(ViewerWindowTest, MissingChildIsANoteNotAMessage) {
  LayoutBuilder b;
  b.Structure("TOP").Rect(1, 0, 0, 0, 100, 100).SRef("NOT_DEFINED", 0, 0);
  auto window = Open(Args(b.Save("undefined_child")));
  EXPECT_TRUE(m_shown.empty());
  ASSERT_TRUE(WaitForPicture(window->view()));
  EXPECT_TRUE(window->statusBar()->currentMessage().contains("NOT_DEFINED"))
      << window->statusBar()->currentMessage().toStdString();
}

TEST_F(ViewerWindowTest, CursorPositionIsShownInUserUnits) {
  auto window = Open(Args(TwoCellLayout()));
  LayoutView* view = window->view();
  ASSERT_TRUE(WaitForPicture(view));
  const Viewport& v = view->viewport();
  // The point (5000, 4000) in database units is (5, 4) microns with the usual units.
  QTest::mouseMove(view, QPoint(int(std::lround(v.ScreenX(5000))), int(std::lround(v.ScreenY(4000)))));
  const QString text = window->cursorText();
  EXPECT_TRUE(text.contains(QRegularExpression("X 5\\.0\\d\\d\\b|X 4\\.9\\d\\d\\b"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QRegularExpression("Y 4\\.0\\d\\d\\b|Y 3\\.9\\d\\d\\b"))) << text.toStdString();
}

TEST_F(ViewerWindowTest, HidingALayerInTheListRemovesItFromThePicture) {
  auto window = Open(Args(TwoCellLayout()));
  LayoutView* view = window->view();
  ASSERT_TRUE(WaitForPicture(view));
  const auto slot = window->index()->layers().SlotOf(MakeLayerKey(1, 0));
  ASSERT_TRUE(slot.has_value());
  const QRgb colour = StyleOfSlot(*slot).colour.rgba();
  EXPECT_GT(CountColour(view->picture(), colour), 100);
  window->layerPanel()->setLayerVisible(*slot, false);
  ASSERT_TRUE(WaitForPicture(view));
  EXPECT_EQ(CountColour(view->picture(), colour), 0);
}

TEST_F(ViewerWindowTest, WheelZoomsAroundTheCursorAndHomeFitsAgain) {
  auto window = Open(Args(TwoCellLayout()));
  LayoutView* view = window->view();
  ASSERT_TRUE(WaitForPicture(view));
  const Viewport fitted = view->viewport();
  const QPointF at(200, 150);
  const double wx = fitted.WorldX(at.x()), wy = fitted.WorldY(at.y());
  QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(), QPoint(0, 240), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(view, &wheel);
  const Viewport zoomed = view->viewport();
  EXPECT_NEAR(zoomed.scale, fitted.scale * 1.25 * 1.25, fitted.scale * 1e-9);
  EXPECT_NEAR(zoomed.WorldX(at.x()), wx, 1e-6);
  EXPECT_NEAR(zoomed.WorldY(at.y()), wy, 1e-6);

  QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, QPoint(300, 300));
  QTest::mouseMove(view, QPoint(340, 290));
  QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(340, 290));
  EXPECT_NEAR(view->viewport().centre_x, zoomed.centre_x - 40 / zoomed.scale, 1e-6);
  EXPECT_NEAR(view->viewport().centre_y, zoomed.centre_y - 10 / zoomed.scale, 1e-6);

  window->activateWindow();
  view->setFocus();
  QTest::keyClick(window.get(), Qt::Key_Home);
  EXPECT_DOUBLE_EQ(view->viewport().scale, fitted.scale);
  QTest::keyClick(window.get(), Qt::Key_Plus);
  QTest::keyClick(window.get(), Qt::Key_F);
  EXPECT_DOUBLE_EQ(view->viewport().scale, fitted.scale);
}

}  // namespace
}  // namespace korvex::lumat
