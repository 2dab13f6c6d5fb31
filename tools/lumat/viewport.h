// Where the view looks: a centre in database units and a scale in pixels per database unit,
// with y pointing up in the layout and down on the screen. Plus the affine maps that carry a
// structure's coordinates through its placements to the screen.
#pragma once

#include <algorithm>
#include <cmath>

#include "gds/geometry.h"

namespace korvex::lumat {

// x' = a x + b y + tx, y' = c x + d y + ty.
struct Affine {
  double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

  void Apply(double x, double y, double& ox, double& oy) const {
    ox = a * x + b * y + tx;
    oy = c * x + d * y + ty;
  }
  // This map after a child's placement: child coordinates to this map's target.
  Affine Then(const gds::Transform& placement) const;
  // The box around the image of `box`.
  gds::Box MapBox(const gds::Box& box) const;
  // How many target units one unit becomes (the placement's magnification times the scale).
  double Scale() const { return std::sqrt(std::fabs(a * d - b * c)); }
  // The inverse map; false when the map is degenerate.
  bool Invert(Affine& out) const;
};

struct Viewport {
  double centre_x = 0, centre_y = 0;
  double scale = 1;  // pixels per database unit
  int width = 1, height = 1;

  double ScreenX(double x) const { return (x - centre_x) * scale + width / 2.0; }
  double ScreenY(double y) const { return height / 2.0 - (y - centre_y) * scale; }
  double WorldX(double px) const { return (px - width / 2.0) / scale + centre_x; }
  double WorldY(double py) const { return (height / 2.0 - py) / scale + centre_y; }
  Affine ToScreen() const {
    return {scale, 0, 0, -scale, width / 2.0 - centre_x * scale, height / 2.0 + centre_y * scale};
  }

  // The whole of `box` with a small margin; a unit box around the origin when it is empty.
  static Viewport Fit(const gds::Box& box, int width, int height);
  // Zooms by `factor` (above 1: closer) keeping the world point under (px, py) in place.
  void ZoomAround(double px, double py, double factor);
  // Moves the picture by (dx, dy) pixels.
  void PanPixels(double dx, double dy) {
    centre_x -= dx / scale;
    centre_y += dy / scale;
  }
};

}  // namespace korvex::lumat
