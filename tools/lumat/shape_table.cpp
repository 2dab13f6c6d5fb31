#include "lumat/shape_table.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <numeric>
#include <optional>

#include "gds/diagnostics.h"
#include "gds/element.h"
#include "gds/stream_reader.h"

namespace korvex::lumat {
namespace {

constexpr std::uint32_t kBlockSize = 32;
constexpr std::uint32_t kCancelCheckEvery = 4096;

IntBox BoxOf(const gds::Point* p, std::size_t n) {
  IntBox b{p[0].x, p[0].y, p[0].x, p[0].y};
  for (std::size_t i = 1; i < n; ++i) {
    b.min_x = std::min(b.min_x, p[i].x);
    b.min_y = std::min(b.min_y, p[i].y);
    b.max_x = std::max(b.max_x, p[i].x);
    b.max_y = std::max(b.max_y, p[i].y);
  }
  return b;
}

void Merge(IntBox& into, const IntBox& b) {
  into.min_x = std::min(into.min_x, b.min_x);
  into.min_y = std::min(into.min_y, b.min_y);
  into.max_x = std::max(into.max_x, b.max_x);
  into.max_y = std::max(into.max_y, b.max_y);
}

// Spreads the low 16 bits of v over the even bits.
std::uint32_t Spread(std::uint32_t v) {
  v &= 0xFFFF;
  v = (v | (v << 8)) & 0x00FF00FF;
  v = (v | (v << 4)) & 0x0F0F0F0F;
  v = (v | (v << 2)) & 0x33333333;
  v = (v | (v << 1)) & 0x55555555;
  return v;
}

bool IsUprightRectangle(const gds::Point* p, std::size_t n) {
  if (n != 4) return false;
  for (std::size_t i = 0; i < 4; ++i) {
    const gds::Point& a = p[i];
    const gds::Point& b = p[(i + 1) % 4];
    if (a.x != b.x && a.y != b.y) return false;
  }
  return true;
}

// Adds the points from `table.points[first]` on as one shape.
void AddPoints(ShapeTable& table, ShapeKind kind, std::uint32_t slot, std::size_t first) {
  const std::size_t count = table.points.size() - first;
  if (count == 0) return;
  Shape s;
  s.kind = kind;
  s.slot = slot;
  s.first = first;
  s.count = static_cast<std::uint32_t>(count);
  s.box = BoxOf(table.points.data() + first, count);
  if (kind == ShapeKind::kPolygon && IsUprightRectangle(table.points.data() + first, count)) s.kind = ShapeKind::kRect;
  table.shapes.push_back(s);
}

std::int32_t ToInt(double v) {
  return static_cast<std::int32_t>(std::clamp(v, double(INT32_MIN), double(INT32_MAX)));
}

void AddElement(ShapeTable& table, const gds::Element& e, std::uint32_t slot) {
  const std::size_t first = table.points.size();
  const std::vector<gds::Point>& xy = e.xy;
  switch (e.kind) {
    case gds::ElementKind::kBoundary:
    case gds::ElementKind::kBox: {
      std::size_t n = xy.size();
      if (n > 1 && xy.front() == xy.back()) --n;  // the stored closing point
      table.points.insert(table.points.end(), xy.begin(), xy.begin() + static_cast<std::ptrdiff_t>(n));
      AddPoints(table, n >= 3 ? ShapeKind::kPolygon : ShapeKind::kLine, slot, first);
      break;
    }
    case gds::ElementKind::kPath: {
      const gds::PathShape shape{e.width.value_or(0), e.pathtype.value_or(0), e.bgnextn.value_or(0),
                                 e.endextn.value_or(0)};
      table.points.insert(table.points.end(), xy.begin(), xy.end());
      if (shape.width == 0 || xy.empty()) {
        AddPoints(table, ShapeKind::kLine, slot, first);
        break;
      }
      const gds::Box b = gds::PathBox(xy.data(), xy.size(), shape.width, shape.pathtype, shape.bgnextn, shape.endextn);
      Shape s;
      s.kind = ShapeKind::kPath;
      s.slot = slot;
      s.first = table.paths.size();
      s.box = {ToInt(std::floor(b.min_x)), ToInt(std::floor(b.min_y)), ToInt(std::ceil(b.max_x)), ToInt(std::ceil(b.max_y))};
      table.paths.push_back({first, static_cast<std::uint32_t>(xy.size()), shape});
      table.shapes.push_back(s);
      break;
    }
    case gds::ElementKind::kNode:
      table.points.insert(table.points.end(), xy.begin(), xy.end());
      AddPoints(table, ShapeKind::kLine, slot, first);
      break;
    case gds::ElementKind::kText: {
      if (xy.empty()) break;
      Shape s;
      s.kind = ShapeKind::kText;
      s.slot = slot;
      s.first = table.labels.size();
      s.box = {xy[0].x, xy[0].y, xy[0].x, xy[0].y};
      table.labels.push_back({xy[0], e.string});
      table.shapes.push_back(s);
      break;
    }
    case gds::ElementKind::kSRef:
    case gds::ElementKind::kARef:
      break;
  }
}

}  // namespace

void BuildBlocks(ShapeTable& table) {
  table.blocks.clear();
  if (table.shapes.empty()) return;
  IntBox all = table.shapes[0].box;
  for (const Shape& s : table.shapes) Merge(all, s.box);
  const double span_x = std::max(1.0, double(all.max_x) - all.min_x);
  const double span_y = std::max(1.0, double(all.max_y) - all.min_y);
  // Order along a Z curve over the shapes' centres, so that neighbours share a block.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> order(table.shapes.size());
  for (std::uint32_t i = 0; i < table.shapes.size(); ++i) {
    const IntBox& b = table.shapes[i].box;
    const double cx = (double(b.min_x) + b.max_x) / 2 - all.min_x;
    const double cy = (double(b.min_y) + b.max_y) / 2 - all.min_y;
    const auto qx = static_cast<std::uint32_t>(cx / span_x * 65535.0);
    const auto qy = static_cast<std::uint32_t>(cy / span_y * 65535.0);
    order[i] = {Spread(qx) | (Spread(qy) << 1), i};
  }
  std::sort(order.begin(), order.end());
  std::vector<Shape> sorted;
  sorted.reserve(table.shapes.size());
  for (const auto& o : order) sorted.push_back(table.shapes[o.second]);
  table.shapes = std::move(sorted);
  for (std::uint32_t first = 0; first < table.shapes.size(); first += kBlockSize) {
    ShapeBlock block;
    block.first = first;
    block.count = std::min<std::uint32_t>(kBlockSize, static_cast<std::uint32_t>(table.shapes.size()) - first);
    block.box = table.shapes[first].box;
    for (std::uint32_t i = 1; i < block.count; ++i) Merge(block.box, table.shapes[first + i].box);
    table.blocks.push_back(block);
  }
}

std::unique_ptr<ShapeTable> ReadShapeTable(const std::uint8_t* data, std::size_t size, std::uint64_t offset,
                                           const LayerTable& layers, const std::function<bool()>& cancelled) {
  auto table = std::make_unique<ShapeTable>();
  gds::Diagnostics diagnostics(0);
  gds::StreamReader reader(data, size, diagnostics);
  reader.Seek(offset);
  if (!reader.NextStructure()) return table;
  gds::Element e;
  std::optional<LayerKey> last_key;
  std::optional<std::uint32_t> last_slot;
  std::uint32_t since_check = 0;
  while (reader.NextElement(e)) {
    if (++since_check == kCancelCheckEvery) {
      since_check = 0;
      if (cancelled && cancelled()) return nullptr;
    }
    if (!e.layer) continue;
    const LayerKey key = MakeLayerKey(*e.layer, e.datatype.value_or(0));
    if (key != last_key) {  // runs of one layer are common
      last_key = key;
      last_slot = layers.SlotOf(key);
    }
    if (last_slot) AddElement(*table, e, *last_slot);
  }
  BuildBlocks(*table);
  return table;
}

}  // namespace korvex::lumat
