#include "lumat/viewport.h"

namespace korvex::lumat {
namespace {

// Scales past these are of no use and would lose precision.
constexpr double kMinScale = 1e-12;
constexpr double kMaxScale = 1e4;
constexpr double kFitMargin = 0.95;

void Rotation(double degrees, double& c, double& s) {
  double a = std::fmod(degrees, 360.0);
  if (a < 0) a += 360.0;
  const double quarter = a / 90.0;
  const double q = std::round(quarter);
  if (std::fabs(quarter - q) * 90.0 < 1e-9) {  // exact for right angles
    static constexpr double kCos[4] = {1, 0, -1, 0}, kSin[4] = {0, 1, 0, -1};
    const int i = static_cast<int>(q) % 4;
    c = kCos[i];
    s = kSin[i];
    return;
  }
  c = std::cos(a * M_PI / 180.0);
  s = std::sin(a * M_PI / 180.0);
}

}  // namespace

Affine Affine::Then(const gds::Transform& p) const {
  double cs, sn;
  Rotation(p.angle, cs, sn);
  const double r = p.reflect ? -1.0 : 1.0;
  // The placement as a matrix: rotate(angle) * magnify * reflect-y.
  const double pa = p.mag * cs, pb = -p.mag * sn * r, pc = p.mag * sn, pd = p.mag * cs * r;
  Affine out;
  out.a = a * pa + b * pc;
  out.b = a * pb + b * pd;
  out.c = c * pa + d * pc;
  out.d = c * pb + d * pd;
  out.tx = a * p.dx + b * p.dy + tx;
  out.ty = c * p.dx + d * p.dy + ty;
  return out;
}

gds::Box Affine::MapBox(const gds::Box& box) const {
  gds::Box out;
  if (box.empty()) return out;
  const double xs[2] = {box.min_x, box.max_x}, ys[2] = {box.min_y, box.max_y};
  for (double x : xs) {
    for (double y : ys) {
      double ox, oy;
      Apply(x, y, ox, oy);
      out.Add(ox, oy);
    }
  }
  return out;
}

bool Affine::Invert(Affine& out) const {
  const double det = a * d - b * c;
  if (det == 0 || !std::isfinite(det)) return false;
  out.a = d / det;
  out.b = -b / det;
  out.c = -c / det;
  out.d = a / det;
  out.tx = -(out.a * tx + out.b * ty);
  out.ty = -(out.c * tx + out.d * ty);
  return true;
}

Viewport Viewport::Fit(const gds::Box& box, int width, int height) {
  Viewport v;
  v.width = std::max(width, 1);
  v.height = std::max(height, 1);
  if (box.empty()) {
    v.scale = std::min(v.width, v.height) / 2.0;
    return v;
  }
  v.centre_x = (box.min_x + box.max_x) / 2;
  v.centre_y = (box.min_y + box.max_y) / 2;
  const double w = std::max(box.max_x - box.min_x, 1.0), h = std::max(box.max_y - box.min_y, 1.0);
  v.scale = std::clamp(kFitMargin * std::min(v.width / w, v.height / h), kMinScale, kMaxScale);
  return v;
}

void Viewport::ZoomAround(double px, double py, double factor) {
  const double wx = WorldX(px), wy = WorldY(py);
  scale = std::clamp(scale * factor, kMinScale, kMaxScale);
  centre_x = wx - (px - width / 2.0) / scale;
  centre_y = wy + (py - height / 2.0) / scale;
}

}  // namespace korvex::lumat
