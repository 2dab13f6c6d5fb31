#include "gds/convex_hull.h"

#include <algorithm>

namespace korvex::gds {
namespace {

// Twice the signed area of o, a, b: positive for a left turn.
double Cross(const HullPoint& o, const HullPoint& a, const HullPoint& b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Drops the points strictly inside the octagon of the extreme points in eight directions,
// which lie on the hull: in a layout most points do, and they need no sorting then.
void DropInterior(std::vector<HullPoint>& points) {
  if (points.size() < 64) return;
  // Counter-clockwise from the bottom: -y, x-y, x, x+y, y, y-x, -x, -x-y.
  std::size_t best[8] = {};
  double score[8];
  auto scores = [](const HullPoint& p, double s[8]) {
    s[0] = -p.y;
    s[1] = p.x - p.y;
    s[2] = p.x;
    s[3] = p.x + p.y;
    s[4] = p.y;
    s[5] = p.y - p.x;
    s[6] = -p.x;
    s[7] = -p.x - p.y;
  };
  scores(points[0], score);
  for (std::size_t i = 1; i < points.size(); ++i) {
    double s[8];
    scores(points[i], s);
    for (int k = 0; k < 8; ++k) {
      if (s[k] > score[k]) {
        score[k] = s[k];
        best[k] = i;
      }
    }
  }
  HullPoint corner[8];
  for (int k = 0; k < 8; ++k) corner[k] = points[best[k]];
  if (std::all_of(corner, corner + 8, [&](const HullPoint& c) { return c == corner[0]; })) return;
  // A corner extreme in two directions (a box's) repeats: its empty edge is left out.
  auto inside = [&](const HullPoint& p) {
    for (int k = 0; k < 8; ++k) {
      const HullPoint& a = corner[k];
      const HullPoint& b = corner[(k + 1) % 8];
      if (!(a == b) && !(Cross(a, b, p) > 0)) return false;
    }
    return true;
  };
  points.erase(std::remove_if(points.begin(), points.end(), inside), points.end());
}

}  // namespace

std::vector<HullPoint> ConvexHull(std::vector<HullPoint>& points) {
  DropInterior(points);
  std::sort(points.begin(), points.end(),
            [](const HullPoint& a, const HullPoint& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
  points.erase(std::unique(points.begin(), points.end()), points.end());
  if (points.size() < 3) return points;
  // Monotone chain: the lower hull left to right, then the upper hull right to left.
  std::vector<HullPoint> hull(2 * points.size());
  std::size_t k = 0;
  for (const HullPoint& p : points) {
    while (k >= 2 && Cross(hull[k - 2], hull[k - 1], p) <= 0) --k;
    hull[k++] = p;
  }
  for (std::size_t i = points.size() - 1, lower = k + 1; i-- > 0;) {
    while (k >= lower && Cross(hull[k - 2], hull[k - 1], points[i]) <= 0) --k;
    hull[k++] = points[i];
  }
  hull.resize(k - 1);  // the last point is the first again
  return hull;
}

Box PlacedBox(const std::vector<HullPoint>& hull, const FlatTransform& t) {
  Box box;
  for (const HullPoint& p : hull) {
    double x, y;
    t.Apply(p.x, p.y, x, y);
    box.Add(x, y);
  }
  return box;
}

}  // namespace korvex::gds
