#include "gdsgen/generator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <vector>

#include "gds/element.h"
#include "gds/record.h"
#include "gds/stream_writer.h"

namespace korvex::gdsgen {
namespace {

using gds::Element;
using gds::ElementKind;
using gds::Point;
using gds::Real8;

// splitmix64: small, fast and the same on every platform (the standard distributions are not).
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x1234567ull) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [lo, hi].
  std::int64_t Range(std::int64_t lo, std::int64_t hi) {
    return lo + static_cast<std::int64_t>(Next() % static_cast<std::uint64_t>(hi - lo + 1));
  }
  bool Chance(int percent) { return static_cast<int>(Next() % 100) < percent; }
  double Unit() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }

 private:
  std::uint64_t state_;
};

struct Cell {
  std::string name;
  int level = 0;
  std::int32_t width = 0, height = 0;  // the area its content occupies, from (0,0)
  std::int64_t reach = 0;  // no point of a leaf's geometry lies farther than this from (0,0) on either axis
  std::vector<std::uint32_t> children;  // cells it must reference
};

const char* const kLeafBases[] = {"INV_X", "NAND2_X", "NOR2_X", "AOI21_X", "OAI22_X", "DFFR_X", "MUX2_X",
                                  "XOR2_X", "BUF_X", "TIEHI", "FILL", "DECAP_X", "SRAM_BIT", "VIA12",
                                  "VIA23$", "PAD_IO?", "ESD_CLAMP", "LATCH_X", "SDFF$SCAN", "CLKBUF_X"};
const char* const kBlockBases[] = {"ALU_", "REGFILE_", "DECODER_", "SRAM_ARRAY_", "PLL_", "IO_RING_",
                                   "UART_", "TIMER_", "BUS_MATRIX_", "CACHE_BANK_"};
const char* const kExoticNames[] = {"cell with blanks", "ARRAY(3)", "bar|cell", "100%_FILL", "caf\xC3\xA9",
                                    "tab\there", "x", "A_VERY_LONG_STRUCTURE_NAME_THAT_GOES_ON_AND_ON",
                                    "semi;colon", "q\"uote"};
const char* const kLabels[] = {"VDD", "VSS", "CLK", "RST_N", "A", "B", "Y", "Q", "D", "SEL", "DATA[0]", "EN"};

constexpr std::int64_t kMaxCoord = 2147483647;

constexpr std::uint16_t kLayers[] = {1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
                                     21, 22, 23, 24, 25, 26, 30, 31, 32, 33, 34, 35, 36, 40, 41, 42,
                                     50, 51, 60, 63, 100, 126, 255};

class Generator {
 public:
  Generator(const GeneratorOptions& o, gds::ByteSink& sink) : o_(o), rng_(o.seed), out_(sink, 4 << 20) {}

  bool Run(GeneratorStats& stats, std::string& error);

 private:
  void Plan();
  void WriteCell(std::uint32_t index, std::uint64_t budget);
  void Shape(const Cell& cell);
  void Boundary(const Cell& cell);
  void PathElement(const Cell& cell);
  void TextElement(const Cell& cell);
  void BoxOrNode(const Cell& cell, bool box);
  void SharpPathPoints(Point p);
  void NearLimits();
  void PlaceNearLimit(std::uint32_t child, Point origin, bool array);
  bool Has(ExoticFeature feature) const { return o_.exotic && (o_.exotic_features & feature) != 0; }
  void Reference(Cell& parent, std::uint32_t child, std::int32_t& cursor_x, std::int32_t& cursor_y,
                 std::int32_t& row_height, std::int32_t row_width);
  void Layer(Element& e) {
    e.layer = Has(kHighLayers) && rng_.Chance(3) ? static_cast<std::uint16_t>(rng_.Range(32768, 65535))
                                          : kLayers[rng_.Next() % std::size(kLayers)];
    static constexpr std::uint16_t kTypes[] = {0, 0, 0, 0, 0, 0, 1, 1, 2, 3, 4, 5};
    e.datatype = kTypes[rng_.Next() % std::size(kTypes)];
  }
  void MaybeProperties(Element& e) {
    if (!rng_.Chance(4)) return;
    const int n = static_cast<int>(rng_.Range(1, 2));
    for (int i = 0; i < n; ++i) {
      char value[64];
      std::snprintf(value, sizeof value, "prop_%d=%llu", i, static_cast<unsigned long long>(rng_.Range(0, 99999)));
      e.properties.push_back({static_cast<std::uint16_t>(i + 1 + rng_.Range(0, 60)), value});
    }
    if (Has(kFlags) && rng_.Chance(30)) e.elflags = static_cast<std::uint16_t>(rng_.Range(0, 3));
    if (Has(kFlags) && rng_.Chance(30)) e.plex = static_cast<std::int32_t>(rng_.Range(1, 1000) | 0x01000000);
  }
  // An angle that is not a multiple of 90 degrees: common ones and arbitrary ones.
  double AnyAngle() {
    static constexpr double kAngles[] = {45, 30, 135, 225, 315, 60, 22.5, 112.5, 17, 271};
    if (rng_.Chance(70)) return kAngles[rng_.Next() % std::size(kAngles)];
    const double a = double(rng_.Range(1, 3599)) / 10.0;
    return std::fmod(a, 90.0) == 0.0 ? a + 1.0 : a;
  }
  Point Inside(const Cell& c) {
    return {static_cast<std::int32_t>(rng_.Range(0, std::max(c.width, 1))),
            static_cast<std::int32_t>(rng_.Range(0, std::max(c.height, 1)))};
  }
  void Emit() {
    gds::WriteElement(out_, e_);
    ++elements_;
    if (current_ == nullptr) return;
    // A generous bound: a path's outline reaches past its points by its width at an acute
    // join, and by its extension at the ends.
    const std::int64_t margin = 2 * std::abs(std::int64_t(e_.width.value_or(0))) +
                                std::abs(std::int64_t(e_.bgnextn.value_or(0))) +
                                std::abs(std::int64_t(e_.endextn.value_or(0)));
    for (const Point& q : e_.xy)
      current_->reach = std::max({current_->reach, std::abs(std::int64_t(q.x)) + margin,
                                  std::abs(std::int64_t(q.y)) + margin});
  }

  const GeneratorOptions& o_;
  Rng rng_;
  gds::RecordWriter out_;
  std::vector<Cell> cells_;
  Element e_;
  Cell* current_ = nullptr;  // the leaf being written, whose reach Emit() tracks
  std::uint64_t elements_ = 0;
};

void Generator::Plan() {
  std::uint32_t count;
  if (o_.structures) {
    count = std::max<std::uint32_t>(*o_.structures, 1);
  } else {
    const std::uint64_t by_size = o_.size / 30000;
    const std::uint64_t floor = o_.size >= 100000 ? 30 : std::max<std::uint64_t>(3, o_.size / 3000);
    count = static_cast<std::uint32_t>(std::min<std::uint64_t>(std::max(by_size, floor), 2000000));
  }
  // Levels: leaves, small blocks, large blocks, then one top. Children come before parents.
  const std::uint32_t non_top = count - 1;
  std::uint32_t l0 = std::max<std::uint32_t>(non_top * 65 / 100, non_top > 0 ? 1 : 0);
  std::uint32_t l1 = non_top * 25 / 100;
  std::uint32_t l2 = non_top - l0 - l1;
  if (l1 == 0 && l2 > 0) {
    l1 = l2;
    l2 = 0;
  }
  cells_.resize(count);
  std::uint32_t idx = 0;
  const std::array<std::uint32_t, 3> per_level = {l0, l1, l2};
  for (int level = 0; level < 3; ++level) {
    for (std::uint32_t i = 0; i < per_level[level]; ++i, ++idx) {
      Cell& c = cells_[idx];
      c.level = level;
      char name[96];
      if (Has(kHostileNames) && rng_.Chance(15)) {
        std::snprintf(name, sizeof name, "%s_%u", kExoticNames[rng_.Next() % std::size(kExoticNames)], idx);
      } else if (level == 0) {
        const std::string base = kLeafBases[rng_.Next() % std::size(kLeafBases)];
        const unsigned drive = static_cast<unsigned>(1u << rng_.Range(0, 3));
        if (base.ends_with("_X")) std::snprintf(name, sizeof name, "%s%u_%u", base.c_str(), drive, idx);
        else std::snprintf(name, sizeof name, "%s_%u", base.c_str(), idx);
      } else {
        std::snprintf(name, sizeof name, "%s%s%u", level == 1 ? "" : "CORE_",
                      kBlockBases[rng_.Next() % std::size(kBlockBases)], idx);
      }
      c.name = name;
    }
  }
  cells_.back().name = o_.exotic ? "TOP (exotic)" : "TOP";
  cells_.back().level = 3;
  // Every cell below the top gets a parent one or two levels up, so that few are independent.
  std::vector<std::vector<std::uint32_t>> by_level(4);
  for (std::uint32_t i = 0; i < count; ++i) by_level[cells_[i].level].push_back(i);
  for (std::uint32_t i = 0; i + 1 < count; ++i) {
    const int level = cells_[i].level;
    int parent_level = level + 1;
    while (parent_level < 3 && by_level[parent_level].empty()) ++parent_level;
    if (parent_level < 3 && level + 2 <= 2 && !by_level[level + 2].empty() && rng_.Chance(10)) parent_level = level + 2;
    const auto& parents = by_level[parent_level];
    cells_[parents[rng_.Next() % parents.size()]].children.push_back(i);
  }
  // A few extra references, to make shared subtrees.
  for (std::uint32_t i = 0; i < count; ++i) {
    if (cells_[i].level == 0) continue;
    const int extra = static_cast<int>(rng_.Range(0, 3));
    for (int k = 0; k < extra; ++k) {
      const auto& pool = by_level[static_cast<std::size_t>(rng_.Range(0, cells_[i].level - 1))];
      if (!pool.empty()) cells_[i].children.push_back(pool[rng_.Next() % pool.size()]);
    }
  }
}

bool Generator::Run(GeneratorStats& stats, std::string& error) {
  Plan();
  gds::LibraryHeader lib;
  lib.version = 600;
  lib.dates = {2024, 1, 2, 3, 4, 5, 2024, 1, 2, 3, 4, 5};
  lib.name = o_.library_name;
  lib.user_unit = Real8::FromDouble(0.001);
  lib.metre_unit = Real8::FromDouble(1e-9);
  gds::WriteLibraryHeader(out_, lib);
  const std::uint64_t header_bytes = out_.bytes_written();
  for (std::uint32_t i = 0; i < cells_.size() && out_.ok(); ++i) {
    const std::uint64_t written = out_.bytes_written();
    const std::uint64_t left = o_.size > written + 4 ? o_.size - written - 4 : 0;
    const std::uint64_t share = left / (cells_.size() - i);
    const double jitter = 0.6 + 0.8 * rng_.Unit();
    WriteCell(i, static_cast<std::uint64_t>(share * (i + 1 == cells_.size() ? 1.0 : jitter)));
  }
  (void)header_bytes;
  gds::WriteLibraryEnd(out_, o_.block);
  stats.bytes = out_.bytes_written();
  stats.structures = static_cast<std::uint32_t>(cells_.size());
  stats.elements = elements_;
  if (!out_.ok()) {
    error = out_.error();
    return false;
  }
  return true;
}

void Generator::WriteCell(std::uint32_t index, std::uint64_t budget) {
  Cell& cell = cells_[index];
  gds::StructureHeader h;
  h.dates = {2024, 1, 2, 3, 4, 5, 2024, 1, 2, 3, 4, 5};
  h.name = cell.name;
  const std::uint64_t start = out_.bytes_written();
  gds::WriteStructureBegin(out_, h);
  current_ = cell.level == 0 ? &cell : nullptr;
  if (cell.level == 0) {
    cell.width = static_cast<std::int32_t>(rng_.Range(4, 40) * 500);
    cell.height = static_cast<std::int32_t>(rng_.Range(4, 24) * 500);
  } else {
    // Place the children in rows; the cell's size follows from where they land.
    std::int64_t area = 0;
    for (std::uint32_t c : cell.children) area += std::int64_t(cells_[c].width) * cells_[c].height * 4;
    const auto row_width = static_cast<std::int32_t>(std::clamp<double>(std::sqrt(double(area)) * 1.2, 10000, 2e8));
    std::int32_t x = 0, y = 0, row_height = 0;
    for (std::uint32_t c : cell.children) Reference(cell, c, x, y, row_height, row_width);
    cell.width = std::max(cell.width, 2000);
    cell.height = std::max(y + row_height, 2000);
  }
  // An outline of the cell, a label, then shapes until the budget is spent.
  e_.Clear();
  e_.layer = 126;
  e_.datatype = 0;
  e_.xy = {{0, 0}, {0, cell.height}, {cell.width, cell.height}, {cell.width, 0}, {0, 0}};
  Emit();
  e_.Clear();
  e_.kind = ElementKind::kText;
  e_.layer = 63;
  e_.datatype = 0;
  e_.xy = {{0, 0}};
  e_.has_string = true;
  e_.string = cell.name;
  Emit();
  while (out_.bytes_written() - start + 4 < budget && out_.ok()) Shape(cell);
  if (cell.level == 3 && Has(kNearLimits)) NearLimits();
  gds::WriteStructureEnd(out_, h);
}

void Generator::Reference(Cell& parent, std::uint32_t child, std::int32_t& x, std::int32_t& y,
                          std::int32_t& row_height, std::int32_t row_width) {
  const Cell& c = cells_[child];
  e_.Clear();
  const bool array = rng_.Chance(20);
  e_.kind = array ? ElementKind::kARef : ElementKind::kSRef;
  e_.has_sname = true;
  e_.sname = c.name;
  int quarter = rng_.Chance(70) ? 0 : static_cast<int>(rng_.Range(0, 3));
  const bool reflect = rng_.Chance(15);
  double mag = 1.0;
  if (rng_.Chance(5)) mag = rng_.Chance(50) ? 2.0 : 0.5;
  double angle = 90.0 * quarter;
  if (Has(kAnyAngle) && rng_.Chance(12)) {
    angle = AnyAngle();
    quarter = 1;  // reserve a square-ish slot
  }
  if (o_.exotic && !Has(kMagnified)) mag = 1.0;  // an exotic layout without them has none at all
  if (Has(kMagnified) && rng_.Chance(10)) {
    static constexpr double kMags[] = {1.25, 0.75, 1.5, 3.0, 0.3};
    mag = kMags[rng_.Next() % std::size(kMags)];
  }
  if (reflect || angle != 0.0 || mag != 1.0) {
    e_.strans = static_cast<std::uint16_t>((reflect ? 0x8000 : 0) | (Has(kFlags) && rng_.Chance(5) ? 0x0006 : 0));
    if (mag != 1.0) e_.mag = Real8::FromDouble(mag);
    if (angle != 0.0) e_.angle = Real8::FromDouble(angle);
  }
  // The child's footprint once rotated: swap sides for odd quarters, and for odd angles use
  // the diagonal.
  const double diag = std::hypot(double(c.width), double(c.height));
  double w = (quarter % 2) ? c.height : c.width, h = (quarter % 2) ? c.width : c.height;
  if (angle != 90.0 * std::round(angle / 90.0)) w = h = diag;
  w *= mag;
  h *= mag;
  const auto gap = static_cast<std::int32_t>(rng_.Range(1, 4) * 250);
  const int cols = array ? static_cast<int>(rng_.Range(2, 8)) : 1;
  const int rows = array ? static_cast<int>(rng_.Range(1, 6)) : 1;
  const std::int32_t pitch_x = static_cast<std::int32_t>(w) + gap, pitch_y = static_cast<std::int32_t>(h) + gap;
  const std::int32_t total_w = pitch_x * cols, total_h = pitch_y * rows;
  if (x > 0 && x + total_w > row_width) {
    x = 0;
    y += row_height;
    row_height = 0;
  }
  // Place so that the rotated child's box starts at the slot's corner.
  std::int32_t ox = x, oy = y;
  if (angle == 0.0 || angle != 90.0 * std::round(angle / 90.0)) {
    if (angle != 0.0) ox += static_cast<std::int32_t>(diag * mag);
  }
  const int q = static_cast<int>(std::round(angle / 90.0)) % 4;
  if (angle == 90.0 * std::round(angle / 90.0)) {
    // Corner offsets for each quarter turn (with reflection the y extent flips first).
    const std::int32_t cw = static_cast<std::int32_t>(c.width * mag), ch = static_cast<std::int32_t>(c.height * mag);
    const bool flip = reflect;
    switch (q) {
      case 0: if (flip) oy += ch; break;
      case 1: if (!flip) ox += ch; break;
      case 2: ox += cw; if (!flip) oy += ch; break;
      case 3: oy += cw; if (flip) ox += ch; break;
    }
  }
  if (array) {
    e_.colrow = std::array<std::uint16_t, 2>{static_cast<std::uint16_t>(cols), static_cast<std::uint16_t>(rows)};
    // A skewed lattice: each step along a column or row also moves across it.
    std::int32_t skew_x = 0, skew_y = 0;
    if (Has(kSkewedArrays) && rng_.Chance(40)) {
      skew_y = static_cast<std::int32_t>(rng_.Range(-pitch_y / 2, pitch_y / 2));
      skew_x = static_cast<std::int32_t>(rng_.Range(-pitch_x / 2, pitch_x / 2));
    }
    e_.xy = {{ox, oy}, {ox + pitch_x * cols, oy + skew_y * cols}, {ox + skew_x * rows, oy + pitch_y * rows}};
  } else {
    e_.xy = {{ox, oy}};
  }
  MaybeProperties(e_);
  Emit();
  x += total_w;
  row_height = std::max(row_height, total_h);
  parent.width = std::max(parent.width, x);
}

void Generator::Shape(const Cell& cell) {
  const int roll = static_cast<int>(rng_.Range(0, 99));
  if (roll < 62) Boundary(cell);
  else if (roll < 84) PathElement(cell);
  else if (roll < 94) TextElement(cell);
  else if (roll < 97) BoxOrNode(cell, true);
  else BoxOrNode(cell, false);
}

void Generator::Boundary(const Cell& cell) {
  e_.Clear();
  e_.kind = ElementKind::kBoundary;
  Layer(e_);
  const Point p = Inside(cell);
  const auto w = static_cast<std::int32_t>(rng_.Range(1, 40) * 50);
  const auto h = static_cast<std::int32_t>(rng_.Range(1, 40) * 50);
  const int roll = static_cast<int>(rng_.Range(0, 99));
  if (roll < 75) {
    e_.xy = {p, {p.x, p.y + h}, {p.x + w, p.y + h}, {p.x + w, p.y}, p};
  } else if (roll < 92) {
    // A staircase: rectilinear, 4 to 200 vertices including the closing one.
    const int steps = static_cast<int>(rng_.Chance(90) ? rng_.Range(1, 6) : rng_.Range(7, 98));
    const std::int32_t sx = std::max<std::int32_t>(w / 4, 10), sy = std::max<std::int32_t>(h / 4, 10);
    e_.xy.push_back(p);
    std::int32_t x = p.x, y = p.y;
    for (int i = 0; i < steps; ++i) {
      y += sy;
      e_.xy.push_back({x, y});
      x += sx;
      e_.xy.push_back({x, y});
    }
    e_.xy.push_back({x, p.y});
    e_.xy.push_back(p);
    if (e_.xy.size() < 4) e_.xy.insert(e_.xy.begin() + 1, {p.x, p.y + sy});
  } else {
    // An octagon: non-Manhattan edges.
    const std::int32_t r = w / 2 + 20, s = r * 41 / 100;
    const std::int32_t cx = p.x, cy = p.y;
    e_.xy = {{cx - s, cy - r}, {cx + s, cy - r}, {cx + r, cy - s}, {cx + r, cy + s},
             {cx + s, cy + r}, {cx - s, cy + r}, {cx - r, cy + s}, {cx - r, cy - s}, {cx - s, cy - r}};
  }
  MaybeProperties(e_);
  Emit();
}

void Generator::PathElement(const Cell& cell) {
  e_.Clear();
  e_.kind = ElementKind::kPath;
  Layer(e_);
  static constexpr std::int16_t kTypes[] = {0, 0, 0, 1, 2, 2, 4};
  const std::int16_t type = kTypes[rng_.Next() % std::size(kTypes)];
  if (type != 0 || rng_.Chance(50)) e_.pathtype = type;
  std::int32_t width = static_cast<std::int32_t>(rng_.Range(1, 20) * 20);
  const bool sharp = Has(kSharpPaths) && rng_.Chance(35);
  if (sharp && rng_.Chance(20)) width = static_cast<std::int32_t>(rng_.Range(3, 150) * 20);
  if (Has(kOddWidths) && rng_.Chance(10)) width = -width;
  if (Has(kOddWidths) && rng_.Chance(3)) width = 0;
  e_.width = width;
  if (type == 4) {
    e_.bgnextn = static_cast<std::int32_t>(rng_.Range(-5, 20) * 10);
    e_.endextn = static_cast<std::int32_t>(rng_.Range(-5, 20) * 10);
  }
  Point p = Inside(cell);
  if (sharp) {
    SharpPathPoints(p);
    MaybeProperties(e_);
    Emit();
    return;
  }
  e_.xy.push_back(p);
  const int n = static_cast<int>(rng_.Range(2, 8));
  for (int i = 1; i < n; ++i) {
    const auto step = static_cast<std::int32_t>(rng_.Range(1, 30) * 100);
    if ((i & 1) != 0) p.x += rng_.Chance(50) ? step : -step;
    else p.y += rng_.Chance(50) ? step : -step;
    if (Has(kSharpPaths) && rng_.Chance(10)) p.y += step / 2;  // a diagonal piece
    e_.xy.push_back(p);
  }
  MaybeProperties(e_);
  Emit();
}

void Generator::TextElement(const Cell& cell) {
  e_.Clear();
  e_.kind = ElementKind::kText;
  Layer(e_);
  if (rng_.Chance(40)) e_.presentation = static_cast<std::uint16_t>(rng_.Range(0, 2) << 2 | rng_.Range(0, 2));
  if (rng_.Chance(20)) {
    e_.strans = rng_.Chance(20) ? 0x8000 : 0;
    if (rng_.Chance(50)) e_.mag = Real8::FromDouble(double(rng_.Range(1, 8)) * 0.25);
    if (rng_.Chance(50)) e_.angle = Real8::FromDouble(90.0 * double(rng_.Range(0, 3)));
  }
  e_.xy = {Inside(cell)};
  e_.has_string = true;
  char text[48];
  std::snprintf(text, sizeof text, "%s_%llu", kLabels[rng_.Next() % std::size(kLabels)],
                static_cast<unsigned long long>(rng_.Range(0, 999)));
  e_.string = text;
  MaybeProperties(e_);
  Emit();
}

void Generator::BoxOrNode(const Cell& cell, bool box) {
  e_.Clear();
  e_.kind = box ? ElementKind::kBox : ElementKind::kNode;
  Layer(e_);
  Point p = Inside(cell);
  if (!box) {
    // Nodes stay inside the cell's outline: they count in our extents, but many readers
    // (KLayout among them) drop them, and extents are compared with those readers.
    p.x = std::min(p.x, cell.width - 500);
    p.y = std::min(p.y, cell.height - 50);
  }
  if (box) {
    const auto w = static_cast<std::int32_t>(rng_.Range(1, 20) * 100);
    const auto h = static_cast<std::int32_t>(rng_.Range(1, 20) * 100);
    e_.xy = {p, {p.x + w, p.y}, {p.x + w, p.y + h}, {p.x, p.y + h}, p};
  } else {
    const int n = static_cast<int>(rng_.Range(1, 6));
    for (int i = 0; i < n; ++i) e_.xy.push_back({p.x + 100 * i, p.y + 50 * (i % 2)});
  }
  MaybeProperties(e_);
  Emit();
}

// Turns of every kind, sharp ones weighted up: turn-backs, acute turns, zero-length steps and
// repeated points, at directions off the 45-degree grid too.
void Generator::SharpPathPoints(Point p) {
  static constexpr double kTurns[] = {180, 180, 135, -135, 150, -165, 170, 45, -90, 0, 120, -30};
  e_.xy.push_back(p);
  double direction = rng_.Chance(50) ? 45.0 * double(rng_.Range(0, 7)) : double(rng_.Range(0, 359));
  const int n = static_cast<int>(rng_.Range(2, 7));
  for (int i = 1; i < n; ++i) {
    // The first step has a length, so the path has one.
    const std::int64_t length = rng_.Range(i == 1 ? 1 : 0, 30) * 100;
    const double radians = direction * 3.14159265358979323846 / 180.0;
    p.x += static_cast<std::int32_t>(std::lround(double(length) * std::cos(radians)));
    p.y += static_cast<std::int32_t>(std::lround(double(length) * std::sin(radians)));
    e_.xy.push_back(p);
    if (rng_.Chance(10)) e_.xy.push_back(p);  // a repeated point
    direction += rng_.Chance(15) ? double(rng_.Range(-179, 180)) : kTurns[rng_.Next() % std::size(kTurns)];
  }
}

// Shapes and placements of leaves close to the corners of the coordinate range, with room
// enough that their outlines and flattened geometry stay representable.
void Generator::NearLimits() {
  // 100 units inside the range: KLayout, the reference these layouts are checked against,
  // does not finish boolean operations on shapes that touch its very ends.
  constexpr std::int32_t kMax = static_cast<std::int32_t>(kMaxCoord) - 100;
  constexpr std::int32_t kMin = -kMax;
  e_.Clear();
  e_.kind = ElementKind::kBoundary;
  Layer(e_);
  e_.xy = {{kMax - 5000, kMax - 4000}, {kMax - 5000, kMax}, {kMax, kMax}, {kMax, kMax - 4000}, {kMax - 5000, kMax - 4000}};
  Emit();
  e_.xy = {{kMin, kMin}, {kMin, kMin + 3000}, {kMin + 7000, kMin}, {kMin, kMin}};
  Emit();
  // Paths whose outlines end a little short of the limits: square ends, extensions, round ends.
  static constexpr std::int16_t kTypes[] = {0, 1, 2, 4};
  for (std::int16_t type : kTypes) {
    e_.Clear();
    e_.kind = ElementKind::kPath;
    Layer(e_);
    const std::int32_t width = static_cast<std::int32_t>(rng_.Range(1, 100) * 40);
    const std::int32_t extension = type == 2 ? width / 2 : type == 4 ? static_cast<std::int32_t>(rng_.Range(0, 50) * 10) : 0;
    e_.pathtype = type;
    e_.width = width;
    if (type == 4) e_.bgnextn = e_.endextn = extension;
    const std::int32_t room = std::max(extension, width / 2) + static_cast<std::int32_t>(rng_.Range(0, 200));
    const std::int32_t y = static_cast<std::int32_t>(rng_.Range(kMin + width, kMax - width));
    if (rng_.Chance(50)) e_.xy = {{kMax - room - 20000, y}, {kMax - room, y}};
    else e_.xy = {{kMin + room, y}, {kMin + room + 20000, y}};
    Emit();
  }
  // A placed leaf and an array of one, each at a corner, rotated and reflected freely.
  std::vector<std::uint32_t> leaves;
  for (std::uint32_t i = 0; i + 1 < cells_.size(); ++i)
    if (cells_[i].level == 0) leaves.push_back(i);
  if (leaves.empty()) return;
  const std::uint32_t a = leaves[rng_.Next() % leaves.size()], b = leaves[rng_.Next() % leaves.size()];
  const std::int64_t sa = kMaxCoord - 2 * cells_[a].reach - 10000;
  PlaceNearLimit(a, {static_cast<std::int32_t>(sa), static_cast<std::int32_t>(-sa)}, false);
  const std::int64_t sb = kMaxCoord - 6 * cells_[b].reach - 10000;
  PlaceNearLimit(b, {static_cast<std::int32_t>(-sb), static_cast<std::int32_t>(sb)}, true);
}

void Generator::PlaceNearLimit(std::uint32_t child, Point origin, bool array) {
  const Cell& c = cells_[child];
  e_.Clear();
  e_.kind = array ? ElementKind::kARef : ElementKind::kSRef;
  e_.has_sname = true;
  e_.sname = c.name;
  const bool reflect = rng_.Chance(50);
  const double angle = Has(kAnyAngle) ? AnyAngle() : 90.0 * double(rng_.Range(0, 3));
  e_.strans = static_cast<std::uint16_t>(reflect ? 0x8000 : 0);
  if (angle != 0.0) e_.angle = Real8::FromDouble(angle);
  if (array) {
    // 2 by 2 instances on a skewed lattice, a step of twice the leaf's reach, so the far
    // corner lies within 6 reaches of the origin. The vectors are whole multiples of the
    // counts: a lattice whose instances fall between grid points has no one meaning.
    const auto step = static_cast<std::int32_t>(2 * c.reach);
    e_.colrow = std::array<std::uint16_t, 2>{2, 2};
    e_.xy = {origin, {origin.x + 2 * step, origin.y - 2 * (step / 3)}, {origin.x + 2 * (step / 6), origin.y - 2 * step}};
  } else {
    e_.xy = {origin};
  }
  Emit();
}

}  // namespace

const char* const kExoticFeatureNames[9] = {"names", "angles", "mags", "sharp", "widths",
                                             "skew", "limits", "flags", "layers"};

std::optional<std::uint32_t> ParseExoticFeatures(const std::string& text) {
  std::uint32_t features = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find(',', start), text.size());
    const std::string name = text.substr(start, end - start);
    const auto* found = std::find(std::begin(kExoticFeatureNames), std::end(kExoticFeatureNames), name);
    if (found == std::end(kExoticFeatureNames)) return std::nullopt;
    features |= 1u << (found - std::begin(kExoticFeatureNames));
    start = end + 1;
  }
  return features;
}

std::optional<std::uint64_t> ParseSize(const std::string& text) {
  if (text.empty()) return std::nullopt;
  std::size_t i = 0;
  std::uint64_t value = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
    if (value > (1ull << 44)) return std::nullopt;
    ++i;
  }
  if (i == 0) return std::nullopt;
  std::uint64_t unit = 1;
  if (i < text.size()) {
    switch (text[i]) {
      case 'k': case 'K': unit = 1ull << 10; break;
      case 'm': case 'M': unit = 1ull << 20; break;
      case 'g': case 'G': unit = 1ull << 30; break;
      default: return std::nullopt;
    }
    ++i;
    if (i < text.size() && (text[i] == 'b' || text[i] == 'B')) ++i;
  }
  if (i != text.size()) return std::nullopt;
  return value * unit;
}

bool GenerateLayout(const GeneratorOptions& options, gds::ByteSink& sink, GeneratorStats& stats, std::string& error) {
  Generator g(options, sink);
  return g.Run(stats, error);
}

}  // namespace korvex::gdsgen
