#include "ui/pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace korvex {
namespace {

constexpr int kPictureSize = 48;
const QColor kMetal(70, 110, 170);
const QColor kPoly(200, 60, 60);
const QColor kDiff(60, 160, 90);

QPixmap Blank(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

// A small piece of layout: overlapping rectangles on three layers.
void DrawLayout(QPainter& p, const QRectF& r) {
  const qreal u = r.width() / 12.0;
  p.setPen(QPen(kDiff.darker(), 1));
  p.setBrush(QColor(kDiff.red(), kDiff.green(), kDiff.blue(), 150));
  p.drawRect(QRectF(r.left() + 1 * u, r.top() + 5 * u, 10 * u, 3 * u));
  p.setPen(QPen(kPoly.darker(), 1));
  p.setBrush(QColor(kPoly.red(), kPoly.green(), kPoly.blue(), 160));
  p.drawRect(QRectF(r.left() + 3 * u, r.top() + 1 * u, 2 * u, 10 * u));
  p.drawRect(QRectF(r.left() + 7 * u, r.top() + 1 * u, 2 * u, 10 * u));
  p.setPen(QPen(kMetal.darker(), 1));
  p.setBrush(QColor(kMetal.red(), kMetal.green(), kMetal.blue(), 140));
  p.drawRect(QRectF(r.left() + 1 * u, r.top() + 2 * u, 10 * u, 2 * u));
}

void DrawFolder(QPainter& p) {
  QPainterPath folder;
  folder.moveTo(3, 12);
  folder.lineTo(17, 12);
  folder.lineTo(21, 16);
  folder.lineTo(45, 16);
  folder.lineTo(45, 42);
  folder.lineTo(3, 42);
  folder.closeSubpath();
  QLinearGradient fill(0, 12, 0, 42);
  fill.setColorAt(0, QColor(250, 214, 110));
  fill.setColorAt(1, QColor(222, 168, 50));
  p.setPen(QPen(QColor(150, 105, 20), 1.5));
  p.setBrush(fill);
  p.drawPath(folder);
  DrawLayout(p, QRectF(14, 18, 22, 22));
}

void DrawConfiguration(QPainter& p) {
  p.setPen(QPen(QColor(60, 60, 70), 3, Qt::SolidLine, Qt::RoundCap));
  const int xs[3] = {12, 24, 36};
  const int knobs[3] = {30, 16, 24};
  for (int i = 0; i < 3; ++i) p.drawLine(xs[i], 6, xs[i], 42);
  p.setPen(QPen(QColor(40, 40, 50), 1.5));
  for (int i = 0; i < 3; ++i) {
    p.setBrush(i == 1 ? kPoly : kMetal);
    p.drawRoundedRect(QRectF(xs[i] - 6, knobs[i] - 4, 12, 8), 2, 2);
  }
}

void DrawTranslate(QPainter& p) {
  DrawLayout(p, QRectF(2, 4, 20, 20));
  DrawLayout(p, QRectF(26, 24, 20, 20));
  QPainterPath arrow;
  arrow.moveTo(14, 30);
  arrow.cubicTo(14, 40, 20, 42, 24, 40);
  p.setPen(QPen(QColor(30, 30, 30), 3, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawPath(arrow);
  p.setBrush(QColor(30, 30, 30));
  p.setPen(Qt::NoPen);
  p.drawPolygon(QPolygonF({QPointF(22, 34), QPointF(30, 40), QPointF(22, 46)}));
}

void DrawView(QPainter& p) {
  DrawLayout(p, QRectF(2, 2, 32, 32));
  p.setPen(QPen(QColor(40, 40, 40), 3));
  p.setBrush(QColor(255, 255, 255, 90));
  p.drawEllipse(QPointF(22, 22), 11, 11);
  p.setPen(QPen(QColor(90, 60, 30), 6, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(30, 30), QPointF(43, 43));
}

}  // namespace

QPixmap ToolbarPicture(Command command) {
  QPixmap pixmap = Blank(kPictureSize);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  switch (command) {
    case Command::SelectGdsFile: DrawFolder(p); break;
    case Command::Configuration: DrawConfiguration(p); break;
    case Command::Translate: DrawTranslate(p); break;
    case Command::ViewGdsInput: DrawView(p); break;
    default: DrawLayout(p, QRectF(6, 6, 36, 36)); break;
  }
  return pixmap;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64}) {
    QPixmap pixmap = Blank(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 40, 60), size / 16.0));
    p.setBrush(QColor(235, 238, 245));
    p.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), size / 8.0, size / 8.0);
    DrawLayout(p, QRectF(size * 0.1, size * 0.1, size * 0.8, size * 0.8));
    icon.addPixmap(pixmap);
  }
  return icon;
}

QCursor WaitCursor() {
  QPixmap pixmap = Blank(32);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  // An hourglass whose sand is a stack of layout layers.
  QPolygonF glass({QPointF(8, 3), QPointF(24, 3), QPointF(17, 16), QPointF(24, 29), QPointF(8, 29), QPointF(15, 16)});
  p.setPen(QPen(Qt::black, 2));
  p.setBrush(Qt::white);
  p.drawPolygon(glass);
  p.setPen(Qt::NoPen);
  p.setBrush(kPoly);
  p.drawPolygon(QPolygonF({QPointF(11, 7), QPointF(21, 7), QPointF(16, 14)}));
  p.setBrush(kMetal);
  p.drawRect(QRectF(10, 24, 12, 3));
  p.setBrush(kDiff);
  p.drawRect(QRectF(12, 21, 8, 3));
  return QCursor(pixmap, 16, 16);
}

QPixmap CreditsPicture(const QSize& size) {
  QPixmap pixmap(size);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient back(0, 0, 0, size.height());
  back.setColorAt(0, QColor(20, 30, 60));
  back.setColorAt(1, QColor(40, 70, 120));
  p.fillRect(pixmap.rect(), back);
  const int tile = 40;
  p.setOpacity(0.35);
  for (int x = 0; x < size.width(); x += tile) {
    for (int y = 0; y < size.height(); y += tile) DrawLayout(p, QRectF(x, y, tile, tile));
  }
  p.setOpacity(1);
  p.setPen(Qt::white);
  QFont font = p.font();
  font.setPointSize(16);
  font.setBold(true);
  p.setFont(font);
  const QRect top(0, 10, size.width(), size.height() / 3);
  p.drawText(top, Qt::AlignCenter, "KORVEX");
  font.setPointSize(10);
  font.setBold(false);
  p.setFont(font);
  p.drawText(QRect(0, size.height() / 3, size.width(), size.height() * 2 / 3 - 10), Qt::AlignHCenter | Qt::AlignTop,
             "made by the Helvorn layout tools team\n\nfront end, scanner, engine and viewer\n"
             "drawn, written and tested in-house\n\n(double-click to go back)");
  return pixmap;
}

}  // namespace korvex
