#include "lumat/renderer.h"

#include <QPainter>
#include <QPointF>
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <functional>
#include <map>
#include <optional>

#include "lumat/layer_style.h"
#include "lumat/read_ahead.h"

namespace korvex::lumat {
namespace {

constexpr double kSmallTreePixels = 1.0;
constexpr double kSmallShapePixels = 4.0;  // smaller shapes are filled as their box
constexpr double kLabelPixels = 200.0;    // a structure this large on screen shows its label texts
constexpr int kMaxDepth = 1000;           // deeper nesting is drawn as boxes
constexpr std::uint64_t kMaxInstances = 20'000'000;
constexpr std::uint32_t kPollEvery = 1024;

// The 8x8 tile of a fill pattern, one byte per row, bit i for column i, as Qt paints it with
// the brush origin at the image's corner.
using PatternTile = std::array<std::uint8_t, 8>;

PatternTile TileOf(Qt::BrushStyle pattern) {
  QImage tile(8, 8, QImage::Format_ARGB32_Premultiplied);
  tile.fill(Qt::transparent);
  {
    QPainter p(&tile);
    p.fillRect(tile.rect(), QBrush(Qt::black, pattern));
  }
  PatternTile out{};
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      if (qAlpha(tile.pixel(x, y)) != 0) out[std::size_t(y)] |= std::uint8_t(1u << x);
  return out;
}

// Keeps right angles right: rectangles stay rectangles under this map.
bool KeepsRectangles(const Affine& m) { return (m.b == 0 && m.c == 0) || (m.a == 0 && m.d == 0); }

bool Overlaps(const IntBox& a, const gds::Box& b) {
  return a.max_x >= b.min_x && a.min_x <= b.max_x && a.max_y >= b.min_y && a.min_y <= b.max_y;
}

double Longest(const gds::Box& b) { return std::max(b.max_x - b.min_x, b.max_y - b.min_y); }

gds::Box Shifted(const gds::Box& b, double dx, double dy) {
  return {b.min_x + dx, b.min_y + dy, b.max_x + dx, b.max_y + dy};
}

// The range of lattice indices whose instances can meet the view: offsets p = i*u + j*v
// with p inside `q` (a box in the parent's coordinates).
struct LatticeRange {
  long c0 = 0, c1 = -1, r0 = 0, r1 = -1;
};

void ClampRange(double lo, double hi, long count, long& first, long& last) {
  // Clamped before the conversion: a far view gives indices beyond any integer.
  first = static_cast<long>(std::clamp(std::floor(lo), 0.0, double(count)));
  last = static_cast<long>(std::clamp(std::ceil(hi), -1.0, double(count - 1)));
}

// Index range along one step vector `s` for the corners of `q` (projection; conservative).
void ProjectRange(double sx, double sy, long count, const gds::Box& q, long& first, long& last) {
  const double len2 = sx * sx + sy * sy;
  if (count == 1 || len2 == 0) {  // every instance at the same offset: one is enough
    first = 0;
    last = 0;
    if (count > 1 && (q.min_x > 0 || q.max_x < 0 || q.min_y > 0 || q.max_y < 0)) last = -1;
    return;
  }
  double lo = INFINITY, hi = -INFINITY;
  for (double x : {q.min_x, q.max_x})
    for (double y : {q.min_y, q.max_y}) {
      const double t = (x * sx + y * sy) / len2;
      lo = std::min(lo, t);
      hi = std::max(hi, t);
    }
  ClampRange(lo, hi, count, first, last);
}

LatticeRange VisibleLattice(double ux, double uy, double vx, double vy, long cols, long rows, const gds::Box& q) {
  LatticeRange out;
  const double det = ux * vy - uy * vx;
  const double scale = std::max(ux * ux + uy * uy, vx * vx + vy * vy);
  if (cols > 1 && rows > 1 && std::fabs(det) > 1e-9 * scale) {
    double c_lo = INFINITY, c_hi = -INFINITY, r_lo = INFINITY, r_hi = -INFINITY;
    for (double x : {q.min_x, q.max_x})
      for (double y : {q.min_y, q.max_y}) {
        const double c = (x * vy - y * vx) / det, r = (ux * y - uy * x) / det;
        c_lo = std::min(c_lo, c);
        c_hi = std::max(c_hi, c);
        r_lo = std::min(r_lo, r);
        r_hi = std::max(r_hi, r);
      }
    ClampRange(c_lo, c_hi, cols, out.c0, out.c1);
    ClampRange(r_lo, r_hi, rows, out.r0, out.r1);
    return out;
  }
  // A single row or column, or a lattice folded onto a line: each direction on its own.
  if (cols > 1 && rows > 1) {
    out.c0 = 0;
    out.c1 = cols - 1;
    out.r0 = 0;
    out.r1 = rows - 1;
    return out;
  }
  ProjectRange(ux, uy, cols, q, out.c0, out.c1);
  ProjectRange(vx, vy, rows, q, out.r0, out.r1);
  return out;
}

class Renderer {
 public:
  // kPlan walks the view as kDraw does, but draws nothing and reads no shapes: it lists the
  // structures whose shapes the drawing will need and has not read yet, in the order it will
  // meet them.
  enum class Mode { kDraw, kPlan };
  Renderer(const ViewIndex& index, const ViewRequest& request, QImage& image, const RenderControl& control,
           Mode mode = Mode::kDraw);
  RenderStats Run();
  const std::vector<std::uint32_t>& plan() const { return m_plan; }
  // Called once, when the drawing first meets a structure whose shapes are not read yet.
  void OnFirstUnread(std::function<void()> f) { m_on_first_unread = std::move(f); }

 private:
  void DrawStructure(std::uint32_t s, const Affine& m, int depth, double pixels);
  // A whole block within one pixel: that pixel in the colour of its first visible shape.
  void DrawBlockPoint(const ShapeTable& t, const ShapeBlock& block, const Affine& m);
  void DrawShape(const ShapeTable& t, const Shape& shape, const Affine& m, double ppd, bool labels);
  void DrawReference(const gds::Reference& r, const Affine& m, const gds::Box& local_view, int depth);
  void DrawArray(const gds::Reference& r, const Affine& m, const gds::Box& local_view, int depth);
  void DrawInstance(std::uint32_t child, const Affine& place, int depth);
  void DrawSmallTree(const gds::Box& screen);
  void SetPixel(double x, double y, QRgb colour);
  // Fills the pixels of a screen box: solid edges and the slot's pattern inside.
  void FillBox(const gds::Box& screen, std::uint32_t slot);
  void UseSlot(std::uint32_t slot);
  bool OnScreen(const gds::Box& b) const {
    return b.max_x >= 0 && b.min_x <= m_width && b.max_y >= 0 && b.min_y <= m_height;
  }
  bool Visible(std::uint32_t slot) const { return slot >= m_request.visible.size() || m_request.visible[slot]; }
  // True once the view is cancelled; also hands out partial pictures.
  bool Poll();
  bool Stopped() const { return m_stopped; }
  void ComputeTreeVisibility();
  const ShapeTable* Table(std::uint32_t s);
  void Plan(std::uint32_t s);

  const bool m_planning;
  const ViewIndex& m_index;
  const gds::LayoutSummary& m_summary;
  const ViewRequest& m_request;
  QImage& m_image;
  const RenderControl& m_control;
  QPainter m_painter;
  QRgb* m_bits = nullptr;
  std::size_t m_stride = 0;  // in pixels
  int m_width = 0, m_height = 0;
  gds::Box m_screen;
  std::vector<QRgb> m_colours;
  std::vector<QPen> m_pens;
  std::vector<QBrush> m_brushes;
  std::vector<PatternTile> m_tiles;
  std::uint32_t m_current_slot = UINT32_MAX;
  QRgb m_small_tree_colour = 0;
  std::vector<std::uint8_t> m_tree_visible;
  std::vector<std::uint8_t> m_on_stack;
  std::vector<const ShapeTable*> m_tables;
  std::vector<std::uint32_t> m_plan;
  std::vector<std::uint8_t> m_planned;
  std::function<void()> m_on_first_unread;
  std::vector<QPointF> m_buffer;
  std::vector<gds::Point> m_centre, m_outline;
  RenderStats m_stats;
  std::uint32_t m_until_poll = kPollEvery;
  bool m_stopped = false;
  std::chrono::steady_clock::time_point m_last_partial;
};

Renderer::Renderer(const ViewIndex& index, const ViewRequest& request, QImage& image, const RenderControl& control,
                   Mode mode)
    : m_planning(mode == Mode::kPlan), m_index(index), m_summary(index.summary()), m_request(request), m_image(image),
      m_control(control) {
  m_width = std::max(request.viewport.width, 1);
  m_height = std::max(request.viewport.height, 1);
  m_screen = {0.0, 0.0, double(m_width), double(m_height)};
  m_on_stack.assign(m_summary.structures.size(), 0);
  ComputeTreeVisibility();
  if (m_planning) {
    m_planned.assign(m_summary.structures.size(), 0);
    return;
  }
  if (m_image.size() != QSize(m_width, m_height) || m_image.format() != QImage::Format_ARGB32_Premultiplied)
    m_image = QImage(m_width, m_height, QImage::Format_ARGB32_Premultiplied);
  m_image.fill(BackgroundColour());
  m_bits = reinterpret_cast<QRgb*>(m_image.bits());
  m_stride = static_cast<std::size_t>(m_image.bytesPerLine()) / sizeof(QRgb);
  const std::size_t slot_count = index.layers().size();
  m_colours.resize(slot_count);
  m_pens.resize(slot_count);
  m_brushes.resize(slot_count);
  m_tiles.resize(slot_count);
  std::map<Qt::BrushStyle, PatternTile> tiles;
  for (std::uint32_t i = 0; i < slot_count; ++i) {
    const LayerStyle style = StyleOfSlot(i);
    m_colours[i] = style.colour.rgba();
    m_pens[i] = QPen(style.colour, 0);
    m_brushes[i] = QBrush(style.colour, style.pattern);
    auto tile = tiles.find(style.pattern);
    if (tile == tiles.end()) tile = tiles.emplace(style.pattern, TileOf(style.pattern)).first;
    m_tiles[i] = tile->second;
  }
  m_small_tree_colour = SmallTreeColour().rgba();
  m_tables.assign(m_summary.structures.size(), nullptr);
  m_last_partial = std::chrono::steady_clock::now();
}

void Renderer::ComputeTreeVisibility() {
  m_tree_visible.assign(m_summary.structures.size(), 0);
  for (std::uint32_t s : m_index.BottomUp()) {
    std::uint8_t v = 0;
    for (std::uint32_t slot : m_index.OwnSlots(s)) {
      if (Visible(slot)) {
        v = 1;
        break;
      }
    }
    const gds::StructureSummary& st = m_summary.structures[s];
    for (std::size_t i = 0; !v && i < st.reference_count; ++i)
      v = m_tree_visible[m_summary.references[st.first_reference + i].child];
    m_tree_visible[s] = v;
  }
}

RenderStats Renderer::Run() {
  const std::uint32_t top = m_request.top;
  if (top >= m_summary.structures.size()) return m_stats;
  if (m_planning) {
    m_on_stack[top] = 1;
    DrawStructure(top, m_request.viewport.ToScreen(), 0, INFINITY);
    m_stats.complete = !m_stopped;
    return m_stats;
  }
  m_painter.begin(&m_image);
  m_painter.setRenderHint(QPainter::Antialiasing, false);
  QFont font = m_painter.font();
  font.setPixelSize(11);
  m_painter.setFont(font);
  m_on_stack[top] = 1;
  DrawStructure(top, m_request.viewport.ToScreen(), 0, INFINITY);
  m_painter.end();
  m_stats.complete = !m_stopped;
  return m_stats;
}

bool Renderer::Poll() {
  if (m_stopped) return true;
  if (--m_until_poll > 0) return false;
  m_until_poll = kPollEvery;
  if (m_control.cancelled && m_control.cancelled()) {
    m_stopped = true;
    return true;
  }
  if (m_control.partial && !m_planning) {
    const auto now = std::chrono::steady_clock::now();
    if (now - m_last_partial >= std::chrono::milliseconds(m_control.partial_interval_ms)) {
      m_control.partial(m_image.copy());
      m_last_partial = now;
    }
  }
  return false;
}

const ShapeTable* Renderer::Table(std::uint32_t s) {
  if (!m_tables[s]) {
    if (m_on_first_unread && !m_index.HasShapes(s)) {
      m_on_first_unread();
      m_on_first_unread = nullptr;
    }
    m_tables[s] = m_index.Shapes(s, m_control.cancelled);
    if (!m_tables[s]) m_stopped = true;
  }
  return m_tables[s];
}

void Renderer::Plan(std::uint32_t s) {
  if (m_planned[s]) return;
  m_planned[s] = 1;
  if (!m_index.HasShapes(s)) m_plan.push_back(s);
}

void Renderer::DrawStructure(std::uint32_t s, const Affine& m, int depth, double pixels) {
  const ShapeTable* table = nullptr;
  if (m_planning) Plan(s);
  else table = Table(s);
  Affine inverse;
  if (Stopped() || !m.Invert(inverse)) return;
  const gds::Box local_view = inverse.MapBox(m_screen);
  const double ppd = m.Scale();
  const bool labels = pixels >= kLabelPixels;
  static const std::vector<ShapeBlock> kNoBlocks;  // planning: the shapes are not read yet
  for (const ShapeBlock& block : table ? table->blocks : kNoBlocks) {
    if (!Overlaps(block.box, local_view)) continue;
    if ((double(block.box.max_x) - block.box.min_x) * ppd < 1 && (double(block.box.max_y) - block.box.min_y) * ppd < 1) {
      DrawBlockPoint(*table, block, m);
      if (Poll()) return;
      continue;
    }
    for (std::uint32_t i = 0; i < block.count; ++i) {
      DrawShape(*table, table->shapes[block.first + i], m, ppd, labels);
      if (Poll()) return;
    }
  }
  const gds::StructureSummary& st = m_summary.structures[s];
  for (std::size_t i = 0; i < st.reference_count && !Stopped(); ++i)
    DrawReference(m_summary.references[st.first_reference + i], m, local_view, depth);
}

void Renderer::UseSlot(std::uint32_t slot) {
  if (slot == m_current_slot) return;
  m_current_slot = slot;
  m_painter.setPen(m_pens[slot]);
  m_painter.setBrush(m_brushes[slot]);
}

void Renderer::SetPixel(double x, double y, QRgb colour) {
  if (!(x >= 0 && y >= 0 && x < m_width && y < m_height)) return;
  m_bits[static_cast<std::size_t>(y) * m_stride + static_cast<std::size_t>(x)] = colour;
}

void Renderer::FillBox(const gds::Box& screen, std::uint32_t slot) {
  const double x0 = std::round(screen.min_x), x1 = std::round(screen.max_x);
  const double y0 = std::round(screen.min_y), y1 = std::round(screen.max_y);
  if (x1 < 0 || y1 < 0 || x0 >= m_width || y0 >= m_height) return;
  const int left = int(std::max(x0, 0.0)), right = int(std::min(x1, m_width - 1.0));
  const int top = int(std::max(y0, 0.0)), bottom = int(std::min(y1, m_height - 1.0));
  const QRgb colour = m_colours[slot];
  const PatternTile& tile = m_tiles[slot];
  for (int y = top; y <= bottom; ++y) {
    QRgb* row = m_bits + std::size_t(y) * m_stride;
    if (y == y0 || y == y1) {
      std::fill(row + left, row + right + 1, colour);
      continue;
    }
    const std::uint8_t bits = tile[std::size_t(y & 7)];
    for (int x = left; x <= right; ++x)
      if ((bits >> (x & 7)) & 1) row[x] = colour;
    if (left == x0) row[left] = colour;
    if (right == x1) row[right] = colour;
  }
}

void Renderer::DrawBlockPoint(const ShapeTable& t, const ShapeBlock& block, const Affine& m) {
  for (std::uint32_t i = 0; i < block.count; ++i) {
    const Shape& shape = t.shapes[block.first + i];
    if (!Visible(shape.slot)) continue;
    double x, y;
    m.Apply((double(block.box.min_x) + block.box.max_x) / 2, (double(block.box.min_y) + block.box.max_y) / 2, x, y);
    SetPixel(x, y, m_colours[shape.slot]);
    ++m_stats.points;
    return;
  }
}

void Renderer::DrawShape(const ShapeTable& t, const Shape& shape, const Affine& m, double ppd, bool labels) {
  if (!Visible(shape.slot)) return;
  const QRgb colour = m_colours[shape.slot];
  if (shape.kind == ShapeKind::kText) {
    // A small cross at the anchor; the text itself only where the structure is large.
    const Label& label = t.labels[shape.first];
    double x, y;
    m.Apply(label.anchor.x, label.anchor.y, x, y);
    for (int d = -2; d <= 2; ++d) {
      SetPixel(x + d, y, colour);
      SetPixel(x, y + d, colour);
    }
    ++m_stats.outlines;
    if (labels && x > -1000 && y > -1000 && x < m_width + 1000 && y < m_height + 1000) {
      UseSlot(shape.slot);
      m_painter.drawText(QPointF(x + 3, y - 3), QString::fromLatin1(label.text.data(), qsizetype(label.text.size())));
    }
    return;
  }
  const IntBox& b = shape.box;
  const double w = (double(b.max_x) - b.min_x) * ppd, h = (double(b.max_y) - b.min_y) * ppd;
  if (w < 1 && h < 1) {
    double x, y;
    m.Apply((double(b.min_x) + b.max_x) / 2, (double(b.min_y) + b.max_y) / 2, x, y);
    SetPixel(x, y, colour);
    ++m_stats.points;
    return;
  }
  ++m_stats.outlines;
  const bool rect = shape.kind == ShapeKind::kRect && KeepsRectangles(m);
  if (rect || (w < kSmallShapePixels && h < kSmallShapePixels)) {
    FillBox(m.MapBox({double(b.min_x), double(b.min_y), double(b.max_x), double(b.max_y)}), shape.slot);
    return;
  }
  UseSlot(shape.slot);
  const gds::Point* points = t.points.data() + shape.first;
  std::size_t count = shape.count;
  bool area = shape.kind != ShapeKind::kLine;
  if (shape.kind == ShapeKind::kPath) {
    const PathLine& path = t.paths[shape.first];
    points = t.points.data() + path.first;
    count = path.count;
    m_centre.assign(points, points + count);
    std::string why;
    area = gds::PathOutline(m_centre, path.shape, m_outline, why) && m_outline.size() > 1;
    if (area) {
      points = m_outline.data();
      count = m_outline.size() - 1;  // without the closing point
    }
  }
  m_buffer.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    double x, y;
    m.Apply(points[i].x, points[i].y, x, y);
    m_buffer[i] = QPointF(x, y);
  }
  if (area) {
    m_painter.drawPolygon(m_buffer.data(), int(count), Qt::WindingFill);
  } else if (count == 1) {
    m_painter.drawPoint(m_buffer[0]);
  } else {
    m_painter.drawPolyline(m_buffer.data(), int(count));
  }
}

void Renderer::DrawReference(const gds::Reference& r, const Affine& m, const gds::Box& local_view, int depth) {
  const std::uint32_t child = r.child;
  if (!m_summary.structures[child].defined || !m_tree_visible[child] || m_on_stack[child]) return;
  if (m_index.TreeBox(child).empty()) return;
  if (r.array && std::uint32_t(r.columns) * r.rows > 1) {
    DrawArray(r, m, local_view, depth);
  } else {
    DrawInstance(child, m.Then(gds::PlacementOf(r, 0, 0)), depth);
  }
}

void Renderer::DrawArray(const gds::Reference& r, const Affine& m, const gds::Box& local_view, int depth) {
  const long cols = r.columns, rows = r.rows;
  const double ux = (double(r.points[1].x) - r.points[0].x) / cols, uy = (double(r.points[1].y) - r.points[0].y) / cols;
  const double vx = (double(r.points[2].x) - r.points[0].x) / rows, vy = (double(r.points[2].y) - r.points[0].y) / rows;
  // Instance (0, 0) in the parent's coordinates; the others are shifted copies of it.
  const gds::Box b0 = gds::TransformBox(m_index.TreeBox(r.child), gds::PlacementOf(r, 0, 0));
  auto instance_box = [&](long c, long w) { return Shifted(b0, c * ux + w * vx, c * uy + w * vy); };
  gds::Box whole = b0;
  whole.Add(instance_box(cols - 1, 0));
  whole.Add(instance_box(0, rows - 1));
  whole.Add(instance_box(cols - 1, rows - 1));
  const gds::Box screen_whole = m.MapBox(whole);
  if (!OnScreen(screen_whole)) return;
  if (Longest(screen_whole) < kSmallTreePixels) {
    DrawSmallTree(screen_whole);
    return;
  }
  const gds::Box q{local_view.min_x - b0.max_x, local_view.min_y - b0.max_y, local_view.max_x - b0.min_x,
                   local_view.max_y - b0.min_y};
  const LatticeRange range = VisibleLattice(ux, uy, vx, vy, cols, rows, q);
  if (range.c0 > range.c1 || range.r0 > range.r1) return;
  // Instances below a pixel whose steps are below a pixel too merge into one box per row or
  // column (or one box for all), so a huge array costs no more than the pixels it covers.
  const bool small = Longest(m.MapBox(b0)) < kSmallTreePixels;
  const double step_u = std::hypot(m.a * ux + m.b * uy, m.c * ux + m.d * uy);
  const double step_v = std::hypot(m.a * vx + m.b * vy, m.c * vx + m.d * vy);
  const bool merge_columns = small && step_u < 1, merge_rows = small && step_v < 1;
  if (merge_columns || merge_rows) {
    const long rows_to_walk = merge_rows ? 1 : range.r1 - range.r0 + 1;
    const long cols_to_walk = merge_columns ? 1 : range.c1 - range.c0 + 1;
    for (long j = 0; j < rows_to_walk && !Poll(); ++j) {
      for (long i = 0; i < cols_to_walk; ++i) {
        const long c = range.c0 + i, w = range.r0 + j;
        const long c_end = merge_columns ? range.c1 : c, w_end = merge_rows ? range.r1 : w;
        gds::Box merged = instance_box(c, w);
        merged.Add(instance_box(c_end, w));
        merged.Add(instance_box(c, w_end));
        merged.Add(instance_box(c_end, w_end));
        const gds::Box screen = m.MapBox(merged);
        if (OnScreen(screen)) DrawSmallTree(screen);
      }
    }
    return;
  }
  for (long w = range.r0; w <= range.r1 && !Stopped(); ++w) {
    if (m_stats.instances > kMaxInstances) {
      // Over budget: what is left of the array becomes one box.
      gds::Box rest = instance_box(range.c0, w);
      rest.Add(instance_box(range.c1, range.r1));
      rest.Add(instance_box(range.c0, range.r1));
      rest.Add(instance_box(range.c1, w));
      DrawSmallTree(m.MapBox(rest));
      m_stats.limited = true;
      return;
    }
    for (long c = range.c0; c <= range.c1 && !Stopped(); ++c)
      DrawInstance(r.child, m.Then(gds::PlacementOf(r, int(c), int(w))), depth);
  }
}

void Renderer::DrawInstance(std::uint32_t child, const Affine& place, int depth) {
  ++m_stats.instances;
  if (Poll()) return;
  const gds::Box screen = place.MapBox(m_index.TreeBox(child));
  if (!OnScreen(screen)) return;
  const double pixels = Longest(screen);
  const bool too_many = m_stats.instances > kMaxInstances;
  if (too_many || depth >= kMaxDepth) m_stats.limited = true;
  if (pixels < kSmallTreePixels || too_many || depth >= kMaxDepth) {
    DrawSmallTree(screen);
    return;
  }
  m_on_stack[child] = 1;
  DrawStructure(child, place, depth + 1, pixels);
  m_on_stack[child] = 0;
}

void Renderer::DrawSmallTree(const gds::Box& screen) {
  ++m_stats.small_trees;
  if (m_planning) return;
  const double x0 = std::max(std::floor(screen.min_x), 0.0), y0 = std::max(std::floor(screen.min_y), 0.0);
  const double x1 = std::min(screen.max_x, m_width - 1.0), y1 = std::min(screen.max_y, m_height - 1.0);
  for (int y = int(y0); y <= int(y1); ++y) {
    QRgb* row = m_bits + std::size_t(y) * m_stride;
    std::fill(row + int(x0), row + int(x1) + 1, m_small_tree_colour);
  }
}

}  // namespace

RenderStats RenderView(const ViewIndex& index, const ViewRequest& request, QImage& image, const RenderControl& control) {
  const unsigned readers = control.readers >= 0 ? unsigned(control.readers) : ReadAhead::DefaultThreads();
  std::optional<ReadAhead> ahead;  // destroyed (its threads joined) after the renderer
  Renderer renderer(index, request, image, control);
  if (readers > 0) {
    // A view whose shapes are all read needs no plan; otherwise the plan is made on a reading
    // thread while the drawing goes on.
    renderer.OnFirstUnread([&] {
      auto plan = [&index, &request](const CancelFn& stop) {
        RenderControl quiet;
        quiet.cancelled = stop;
        QImage none;
        Renderer planner(index, request, none, quiet, Renderer::Mode::kPlan);
        planner.Run();
        return planner.plan();
      };
      ahead.emplace(index, plan, readers, control.cancelled);
    });
  }
  return renderer.Run();
}

}  // namespace korvex::lumat
