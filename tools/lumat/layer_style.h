// How a layer/datatype pair looks: a colour and a fill pattern, fixed by its slot so that the
// layer list and the drawing agree.
#pragma once

#include <QColor>
#include <QIcon>
#include <Qt>
#include <cstdint>

namespace korvex::lumat {

struct LayerStyle {
  QColor colour;
  Qt::BrushStyle pattern = Qt::SolidPattern;
};

LayerStyle StyleOfSlot(std::uint32_t slot);

// A small swatch of the style, for the layer list.
QIcon SwatchOf(const LayerStyle& style);

// The canvas behind the layout and the colour of subtrees too small to draw.
QColor BackgroundColour();
QColor SmallTreeColour();

}  // namespace korvex::lumat
