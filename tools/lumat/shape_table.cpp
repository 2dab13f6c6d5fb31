#include "lumat/shape_table.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <numeric>
#include <optional>

#include "gds/bytes.h"
#include "gds/element.h"
#include "gds/element_grammar.h"
#include "gds/record_reader.h"

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

struct ZOrder {
  std::uint32_t key = 0;
  std::uint32_t index = 0;
};

// Stable radix sort on the key, a byte a pass (std::sort of the pairs gives the same order,
// as the indices ascend, but costs several times more on the many small tables of a layout).
void SortByKey(std::vector<ZOrder>& items) {
  if (items.size() < 64) {
    std::sort(items.begin(), items.end(), [](const ZOrder& a, const ZOrder& b) {
      return a.key != b.key ? a.key < b.key : a.index < b.index;
    });
    return;
  }
  constexpr int kBits = 8;
  constexpr std::uint32_t kBuckets = 1u << kBits;
  std::vector<ZOrder> scratch(items.size());
  std::vector<std::uint32_t> count(kBuckets);
  for (int shift = 0; shift < 32; shift += kBits) {
    std::fill(count.begin(), count.end(), 0u);
    for (const ZOrder& z : items) ++count[(z.key >> shift) & (kBuckets - 1)];
    if (count[(items[0].key >> shift) & (kBuckets - 1)] == items.size()) continue;  // one bucket: nothing moves
    std::uint32_t sum = 0;
    for (std::uint32_t& c : count) {
      const std::uint32_t n = c;
      c = sum;
      sum += n;
    }
    for (const ZOrder& z : items) scratch[count[(z.key >> shift) & (kBuckets - 1)]++] = z;
    items.swap(scratch);
  }
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

// The element being read: its values as the element grammar admits them; its points go
// straight into the table, after those of the shapes before it.
struct PendingElement {
  gds::ElementKind kind = gds::ElementKind::kBoundary;
  std::optional<std::uint16_t> layer;
  std::uint16_t datatype = 0;
  gds::PathShape path;
  std::string_view text;
  std::size_t first_point = 0;
};

void AddPointsOf(ShapeTable& table, const gds::Record& rec) {
  const std::size_t n = rec.size / 8;
  const std::size_t at = table.points.size();
  table.points.resize(at + n);
  gds::Point* out = table.points.data() + at;
  const std::uint8_t* p = rec.data;
  for (std::size_t i = 0; i < n; ++i) out[i] = {gds::LoadI32(p + 8 * i), gds::LoadI32(p + 8 * i + 4)};
}

void TakeValue(ShapeTable& table, PendingElement& e, const gds::Record& rec) {
  switch (rec.type) {
    case gds::kXY: AddPointsOf(table, rec); break;
    case gds::kLayer: e.layer = rec.Number(); break;
    case gds::kDatatype:
    case gds::kTextType:
    case gds::kNodeType:
    case gds::kBoxType: e.datatype = rec.Number(); break;
    case gds::kPathType: e.path.pathtype = static_cast<std::int16_t>(rec.Number()); break;
    case gds::kWidth: e.path.width = rec.Int32(0); break;
    case gds::kBgnExtn: e.path.bgnextn = rec.Int32(0); break;
    case gds::kEndExtn: e.path.endextn = rec.Int32(0); break;
    case gds::kString: e.text = rec.TextKeepInnerNul(); break;
    default: break;
  }
}

// Turns the element just read into a shape of `slot`, or drops its points.
void AddElement(ShapeTable& table, const PendingElement& e, std::uint32_t slot) {
  const std::size_t first = e.first_point;
  const std::size_t n = table.points.size() - first;
  switch (e.kind) {
    case gds::ElementKind::kBoundary:
    case gds::ElementKind::kBox:
      if (n > 1 && table.points[first] == table.points.back()) table.points.pop_back();  // the stored closing point
      AddPoints(table, table.points.size() - first >= 3 ? ShapeKind::kPolygon : ShapeKind::kLine, slot, first);
      break;
    case gds::ElementKind::kPath: {
      if (e.path.width == 0 || n == 0) {
        AddPoints(table, ShapeKind::kLine, slot, first);
        break;
      }
      const gds::Box b = gds::PathBox(table.points.data() + first, n, e.path.width, e.path.pathtype, e.path.bgnextn,
                                      e.path.endextn);
      Shape s;
      s.kind = ShapeKind::kPath;
      s.slot = slot;
      s.first = table.paths.size();
      s.box = {ToInt(std::floor(b.min_x)), ToInt(std::floor(b.min_y)), ToInt(std::ceil(b.max_x)), ToInt(std::ceil(b.max_y))};
      table.paths.push_back({first, static_cast<std::uint32_t>(n), e.path});
      table.shapes.push_back(s);
      break;
    }
    case gds::ElementKind::kNode:
      AddPoints(table, ShapeKind::kLine, slot, first);
      break;
    case gds::ElementKind::kText: {
      if (n == 0) break;
      const gds::Point anchor = table.points[first];
      table.points.resize(first);
      Shape s;
      s.kind = ShapeKind::kText;
      s.slot = slot;
      s.first = table.labels.size();
      s.box = {anchor.x, anchor.y, anchor.x, anchor.y};
      table.labels.push_back({anchor, std::string(e.text)});
      table.shapes.push_back(s);
      break;
    }
    case gds::ElementKind::kSRef:
    case gds::ElementKind::kARef:
      table.points.resize(first);
      break;
  }
}

// Reads the body of an element up to its ENDEL into `e`. kRecord when it ended properly,
// or cut off by a record that cannot be inside it (the reader is then back at that record);
// kEnd when the data ended inside it (it still counts); kError when damage broke it off.
gds::RecordReader::Status ReadElementBody(gds::RecordReader& reader, ShapeTable& table, PendingElement& e) {
  gds::ElementGrammar grammar;
  grammar.Start(e.kind);
  gds::Record rec;
  for (;;) {
    const gds::RecordReader::Status status = reader.Next(rec);
    if (status != gds::RecordReader::Status::kRecord) return status;
    switch (grammar.Classify(rec).role) {
      case gds::ElementRole::kEnd:
        return status;
      case gds::ElementRole::kCutOff:
        reader.Seek(rec.offset);
        return status;
      case gds::ElementRole::kValue:
        TakeValue(table, e, rec);
        break;
      case gds::ElementRole::kMoreXY:
        AddPointsOf(table, rec);
        break;
      default:
        break;  // properties, repeats, damage, strangers: nothing drawn from them
    }
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
  // Order along a Z curve over the shapes' centres, so that neighbours share a block; equal
  // places keep the reading order.
  std::vector<ZOrder> order(table.shapes.size());
  for (std::uint32_t i = 0; i < table.shapes.size(); ++i) {
    const IntBox& b = table.shapes[i].box;
    const double cx = (double(b.min_x) + b.max_x) / 2 - all.min_x;
    const double cy = (double(b.min_y) + b.max_y) / 2 - all.min_y;
    const auto qx = static_cast<std::uint32_t>(cx / span_x * 65535.0);
    const auto qy = static_cast<std::uint32_t>(cy / span_y * 65535.0);
    order[i] = {Spread(qx) | (Spread(qy) << 1), i};
  }
  SortByKey(order);
  std::vector<Shape> sorted;
  sorted.reserve(table.shapes.size());
  for (const ZOrder& o : order) sorted.push_back(table.shapes[o.index]);
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
                                           const LayerTable& layers, const std::function<bool()>& cancelled,
                                           std::size_t expected_shapes) {
  // Straight from the records, as the stream reader would give the elements, without making
  // an element object for each: this is what the first drawing of a large layout waits for.
  auto table = std::make_unique<ShapeTable>();
  table->shapes.reserve(expected_shapes);
  gds::RecordReader reader(data, size);
  reader.Seek(offset);
  gds::Record rec;
  if (reader.Next(rec) != gds::RecordReader::Status::kRecord || rec.type != gds::kBgnStr) return table;
  std::uint32_t since_check = 0;
  PendingElement e;
  while (reader.Next(rec) == gds::RecordReader::Status::kRecord) {
    if (rec.type == gds::kEndStr || rec.type == gds::kBgnStr || rec.type == gds::kEndLib) break;
    gds::ElementKind kind;
    if (!gds::ElementKindOfStart(rec.type, kind)) continue;  // between elements: nothing to draw
    if (++since_check == kCancelCheckEvery) {
      since_check = 0;
      if (cancelled && cancelled()) return nullptr;
    }
    e = PendingElement{};
    e.kind = kind;
    e.first_point = table->points.size();
    const gds::RecordReader::Status status = ReadElementBody(reader, *table, e);
    if (status == gds::RecordReader::Status::kError) {  // broken off by damage: not drawn
      table->points.resize(e.first_point);
      break;
    }
    const std::optional<std::uint32_t> slot = e.layer ? layers.SlotOf(MakeLayerKey(*e.layer, e.datatype)) : std::nullopt;
    if (slot) AddElement(*table, e, *slot);
    else table->points.resize(e.first_point);
    if (status == gds::RecordReader::Status::kEnd) break;
  }
  BuildBlocks(*table);
  table->points.shrink_to_fit();
  table->labels.shrink_to_fit();
  table->paths.shrink_to_fit();
  return table;
}

}  // namespace korvex::lumat
