#include "gds/structure_hull.h"

#include <algorithm>
#include <string>

#include "gds/hierarchy.h"
#include "gds/path_outline.h"
#include "gds/stream_reader.h"

namespace korvex::gds {
namespace {

// Points gathered for one hull; folded into their hull whenever they pile up, so that a
// structure of millions of elements needs no more memory than its hull.
class PointPile {
 public:
  void Add(double x, double y) {
    points_.push_back({x, y});
    if (points_.size() >= limit_) Fold();
  }
  void Add(const Point& p) { Add(p.x, p.y); }
  std::vector<HullPoint> Hull() { return ConvexHull(points_); }

 private:
  void Fold() {
    points_ = ConvexHull(points_);
    limit_ = std::max(limit_, 2 * points_.size());
  }
  std::vector<HullPoint> points_;
  std::size_t limit_ = std::size_t{1} << 16;
};

// The structure's own shapes, read again from the stream.
void AddOwnPoints(const std::uint8_t* data, std::size_t size, const StructureSummary& s, PointPile& pile) {
  Diagnostics ignored;  // the summary has reported what is wrong with these records
  StreamReader reader(data, size, ignored);
  reader.Seek(s.offset);
  if (!reader.NextStructure()) return;
  Element e;
  std::vector<Point> outline;
  std::string why;
  while (reader.NextElement(e)) {
    switch (e.kind) {
      case ElementKind::kBoundary:
      case ElementKind::kBox:
      case ElementKind::kNode:
        for (const Point& p : e.xy) pile.Add(p);
        break;
      case ElementKind::kText:
        if (!e.xy.empty()) pile.Add(e.xy[0]);
        break;
      case ElementKind::kPath: {
        const PathShape shape{e.width.value_or(0), e.pathtype.value_or(0), e.bgnextn.value_or(0),
                              e.endextn.value_or(0)};
        // A path without area (zero width) still marks its points, as in the summary.
        const std::vector<Point>& points = PathOutline(e.xy, shape, outline, why) ? outline : e.xy;
        for (const Point& p : points) pile.Add(p);
        break;
      }
      case ElementKind::kSRef:
      case ElementKind::kARef:
        break;  // the summary's references, so that both agree on what is placed
    }
  }
}

}  // namespace

StructureHulls::StructureHulls(const LayoutSummary& summary, const std::uint8_t* data, std::size_t size)
    : summary_(summary), data_(data), size_(size), state_(summary.structures.size(), 0),
      hulls_(summary.structures.size()) {}

const std::vector<HullPoint>& StructureHulls::Of(std::uint32_t index) {
  if (state_[index] == 2) return hulls_[index];
  // Depth first with an explicit stack (hostile hierarchies can be very deep); a child still
  // being made is an ancestor, so that reference closes a cycle and is skipped.
  struct Frame {
    std::uint32_t node;
    std::size_t next;
  };
  std::vector<Frame> stack{{index, 0}};
  state_[index] = 1;
  while (!stack.empty()) {
    Frame& f = stack.back();
    const StructureSummary& s = summary_.structures[f.node];
    if (f.next == s.reference_count) {
      Build(f.node);
      state_[f.node] = 2;
      stack.pop_back();
      continue;
    }
    const std::uint32_t c = summary_.references[s.first_reference + f.next++].child;
    if (summary_.structures[c].defined && state_[c] == 0) {
      state_[c] = 1;
      stack.push_back({c, 0});  // `f` is not used after this
    }
  }
  return hulls_[index];
}

void StructureHulls::Build(std::uint32_t index) {
  const StructureSummary& s = summary_.structures[index];
  PointPile pile;
  AddOwnPoints(data_, size_, s, pile);
  for (std::size_t i = 0; i < s.reference_count; ++i) {
    const Reference& r = summary_.references[s.first_reference + i];
    if (state_[r.child] != 2) continue;  // undefined, or closing a cycle
    Transform corners[4];
    const int n = CornerPlacements(r, corners);
    for (int k = 0; k < n; ++k) {
      const FlatTransform t = FlatTransform::From(corners[k]);
      for (const HullPoint& p : hulls_[r.child]) {
        double x, y;
        t.Apply(p.x, p.y, x, y);
        pile.Add(x, y);
      }
    }
  }
  hulls_[index] = pile.Hull();
}

Box StructureHulls::Placed(const Reference& r) {
  const std::vector<HullPoint>& hull = Of(r.child);
  Transform corners[4];
  const int n = CornerPlacements(r, corners);
  // The instances differ only by their displacement.
  const Box first = PlacedBox(hull, FlatTransform::From(corners[0]));
  Box box;
  if (first.empty()) return box;
  for (int k = 0; k < n; ++k) {
    const double dx = corners[k].dx - corners[0].dx, dy = corners[k].dy - corners[0].dy;
    box.Add(first.min_x + dx, first.min_y + dy);
    box.Add(first.max_x + dx, first.max_y + dy);
  }
  return box;
}

}  // namespace korvex::gds
