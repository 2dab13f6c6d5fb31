#include "gds/hierarchy.h"

#include <algorithm>

#include "gds/structure_hull.h"

namespace korvex::gds {

Transform PlacementOf(const Reference& r, int column, int row) {
  Transform t;
  t.reflect = r.reflect;
  t.mag = r.mag;
  t.angle = r.angle;
  t.dx = r.points[0].x;
  t.dy = r.points[0].y;
  if (r.array) {
    const double c = r.columns, rw = r.rows;
    t.dx += column * (double(r.points[1].x) - r.points[0].x) / c + row * (double(r.points[2].x) - r.points[0].x) / rw;
    t.dy += column * (double(r.points[1].y) - r.points[0].y) / c + row * (double(r.points[2].y) - r.points[0].y) / rw;
  }
  return t;
}

int CornerPlacements(const Reference& r, Transform out[4]) {
  if (!r.array || (r.columns == 1 && r.rows == 1)) {
    out[0] = PlacementOf(r, 0, 0);
    return 1;
  }
  int n = 0;
  for (int ci : {0, r.columns - 1})
    for (int ri : {0, r.rows - 1}) out[n++] = PlacementOf(r, ci, ri);
  return n;
}

namespace {

// Appends the distinct children of structure `index` to `out`; `stamp` marks the children
// already taken for the structure numbered `mark`.
void AddChildren(const LayoutSummary& summary, std::uint32_t index, std::vector<std::uint32_t>& stamp,
                 std::uint32_t mark, std::vector<std::uint32_t>& out) {
  const StructureSummary& s = summary.structures[index];
  for (std::size_t i = 0; i < s.reference_count; ++i) {
    const std::uint32_t c = summary.references[s.first_reference + i].child;
    if (stamp[c] != mark) {
      stamp[c] = mark;
      out.push_back(c);
    }
  }
}

}  // namespace

std::vector<std::uint32_t> DistinctChildren(const LayoutSummary& summary, std::uint32_t index) {
  std::vector<std::uint32_t> stamp(summary.structures.size(), 0), out;
  AddChildren(summary, index, stamp, 1, out);
  return out;
}

ChildLists AllDistinctChildren(const LayoutSummary& summary) {
  const std::size_t n = summary.structures.size();
  ChildLists lists;
  lists.starts_.assign(n + 1, 0);
  std::vector<std::uint32_t> stamp(n, 0);
  std::vector<bool> listed(n, false);  // undefined names have no children
  for (std::uint32_t i : summary.listed) listed[i] = true;
  lists.children_.reserve(summary.references.size());
  for (std::uint32_t i = 0; i < n; ++i) {
    lists.starts_[i] = lists.children_.size();
    if (listed[i]) AddChildren(summary, i, stamp, i + 1, lists.children_);
  }
  lists.starts_[n] = lists.children_.size();
  return lists;
}

namespace {

// `hulls` null: placements at other angles than quarter turns add the child's box turned.
Hierarchy Resolve(const LayoutSummary& summary, StructureHulls* hulls) {
  const std::size_t n = summary.structures.size();
  Hierarchy h;
  h.extents.assign(n, Box{});
  h.referenced.assign(n, false);
  h.depth.assign(n, 0);
  std::vector<bool> undefined_seen(n, false);
  for (std::uint32_t s : summary.listed) {
    const StructureSummary& st = summary.structures[s];
    for (std::size_t i = 0; i < st.reference_count; ++i) {
      const std::uint32_t c = summary.references[st.first_reference + i].child;
      h.referenced[c] = true;
      if (!summary.structures[c].defined && !undefined_seen[c]) {
        undefined_seen[c] = true;
        h.undefined.push_back(c);
      }
    }
  }

  // Depth-first, with an explicit stack: white 0, grey 1, black 2.
  std::vector<std::uint8_t> colour(n, 0);
  struct Frame {
    std::uint32_t node;
    std::size_t next;  // next reference to handle
  };
  std::vector<Frame> stack;
  std::vector<std::uint32_t> position(n, 0);  // place on the stack while grey
  for (std::uint32_t root : summary.listed) {
    if (colour[root] != 0) continue;
    colour[root] = 1;
    h.extents[root] = summary.structures[root].local;
    stack.push_back({root, 0});
    position[root] = 0;
    while (!stack.empty()) {
      Frame& f = stack.back();
      const StructureSummary& st = summary.structures[f.node];
      if (f.next == st.reference_count) {
        colour[f.node] = 2;
        stack.pop_back();
        continue;
      }
      const Reference& r = summary.references[st.first_reference + f.next];
      const std::uint32_t c = r.child;
      if (!summary.structures[c].defined) {
        ++f.next;
        continue;
      }
      if (colour[c] == 0) {
        colour[c] = 1;
        h.extents[c] = summary.structures[c].local;
        position[c] = static_cast<std::uint32_t>(stack.size());
        stack.push_back({c, 0});  // `f` is not used after this
        continue;
      }
      ++f.next;
      if (colour[c] == 1) {
        ++h.cycle_count;
        if (h.cycles.size() < Hierarchy::kMaxCycles) {
          std::vector<std::uint32_t> chain;
          for (std::size_t i = position[c]; i < stack.size(); ++i) chain.push_back(stack[i].node);
          h.cycles.push_back(std::move(chain));
        }
        continue;
      }
      h.depth[f.node] = std::max(h.depth[f.node], h.depth[c] + 1);
      const Box& child = h.extents[c];
      if (child.empty()) continue;
      Box& box = h.extents[f.node];
      if (hulls != nullptr && !IsQuarterTurn(r.angle)) {
        box.Add(hulls->Placed(r));
        continue;
      }
      Transform corners[4];
      const int count = CornerPlacements(r, corners);
      for (int k = 0; k < count; ++k) box.Add(TransformBox(child, corners[k]));
    }
  }
  return h;
}

}  // namespace

Hierarchy ResolveHierarchy(const LayoutSummary& summary, const std::uint8_t* data, std::size_t size) {
  StructureHulls hulls(summary, data, size);
  return Resolve(summary, &hulls);
}

Hierarchy ResolveHierarchy(const LayoutSummary& summary) { return Resolve(summary, nullptr); }

}  // namespace korvex::gds
