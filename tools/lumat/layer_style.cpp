#include "lumat/layer_style.h"

#include <QPainter>
#include <QPixmap>
#include <iterator>

namespace korvex::lumat {
namespace {

// Bright colours that stay apart on a dark canvas.
constexpr QRgb kPalette[] = {0xff5050, 0x50a0ff, 0x50e050, 0xffd040, 0xe060ff, 0x40e0e0, 0xff9030, 0xa0ff70,
                             0xff70b0, 0x9090ff, 0xd0d0d0, 0xc09050, 0x70ffc0, 0xff4090, 0x60c0ff, 0xe0e070};
constexpr Qt::BrushStyle kPatterns[] = {Qt::BDiagPattern, Qt::FDiagPattern, Qt::DiagCrossPattern, Qt::Dense5Pattern,
                                        Qt::CrossPattern, Qt::HorPattern, Qt::VerPattern, Qt::Dense6Pattern};

}  // namespace

LayerStyle StyleOfSlot(std::uint32_t slot) {
  const std::size_t colours = std::size(kPalette), patterns = std::size(kPatterns);
  // Walk the patterns one step further each time the colours wrap, so no two of the first
  // colours x patterns slots look alike.
  return {QColor(kPalette[slot % colours]), kPatterns[(slot + slot / colours) % patterns]};
}

QIcon SwatchOf(const LayerStyle& style) {
  QPixmap pixmap(20, 14);
  pixmap.fill(BackgroundColour());
  QPainter p(&pixmap);
  p.setPen(style.colour);
  p.setBrush(QBrush(style.colour, style.pattern));
  p.drawRect(0, 0, pixmap.width() - 1, pixmap.height() - 1);
  return QIcon(pixmap);
}

QColor BackgroundColour() { return QColor(0x14, 0x16, 0x1c); }
QColor SmallTreeColour() { return QColor(0x80, 0x88, 0x98); }

}  // namespace korvex::lumat
