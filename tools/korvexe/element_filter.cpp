#include "korvexe/element_filter.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "gds/path_outline.h"
#include "gds/polygon.h"
#include "korvexe/run_control.h"
#include "korvexe/structure_names.h"

namespace korvex::engine {
namespace {

const char* TallyText(Tally t) {
  switch (t) {
    case Tally::kDroppedByLayer: return "elements dropped by layer";
    case Tally::kDroppedByDatatype: return "elements dropped by datatype";
    case Tally::kLayerRenumbered: return "elements given a new layer number";
    case Tally::kDatatypeRenumbered: return "elements given a new datatype number";
    case Tally::kPathWidened: return "paths widened to the minimum width";
    case Tally::kTextTooLarge: return "texts dropped for their magnification";
    case Tally::kPathUnfolded: return "paths turned into boundaries";
    case Tally::kPathNotUnfolded: return "paths kept as paths (outline too large for one boundary)";
    case Tally::kZeroWidthPath: return "paths without area dropped when unfolding";
    case Tally::kBelowMinExtent: return "boundaries dropped: extent below the minimum";
    case Tally::kAboveMaxExtent: return "boundaries dropped: extent above the maximum";
    case Tally::kAboveHeightWidth: return "boundaries dropped: height/width above the limit";
    case Tally::kAboveWidthHeight: return "boundaries dropped: width/height above the limit";
    case Tally::kAboveAreaRatio: return "boundaries dropped: area ratio above the limit";
    case Tally::kAboveVertexCount: return "boundaries dropped: vertex count above the limit";
    case Tally::kCount: break;
  }
  return "?";
}

bool IsShape(gds::ElementKind k) { return k != gds::ElementKind::kSRef && k != gds::ElementKind::kARef; }

std::string Real(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6g", v);
  return text;
}

}  // namespace

void LogFilterCounts(const FilterCounts& counts, EngineLog& log) {
  for (std::size_t i = 0; i < counts.n.size(); ++i) {
    if (counts.n[i] == 0) continue;
    log.Line("  " + std::string(TallyText(static_cast<Tally>(i))) + ": " + std::to_string(counts.n[i]));
  }
}

ElementFilter::ElementFilter(const EngineOptions& options, std::int64_t dbu_per_user_unit, EngineLog& log,
                             double largest_text_mag)
    : o_(options), dbu_per_user_unit_(static_cast<double>(dbu_per_user_unit)) {
  text_limit_ = o_.max_text_mag && largest_text_mag > *o_.max_text_mag;
  std::string error;
  if (o_.layers && !layers_.Parse(o_.layers->list, o_.layers->exclude, error))
    throw EngineError(std::string(o_.layers->exclude ? "-x" : "-i") + ": " + error);
  if (o_.datatypes && !datatypes_.Parse(o_.datatypes->list, o_.datatypes->exclude, error))
    throw EngineError(std::string(o_.datatypes->exclude ? "-X" : "-I") + ": " + error);
  std::vector<std::string> skipped;
  if (o_.layer_map && !layer_map_.Parse(*o_.layer_map, skipped, error)) throw EngineError("-lyr: " + error);
  for (const std::string& s : skipped) log.Warning("-lyr: rule '" + s + "' has no ':' and is skipped");
  skipped.clear();
  if (o_.datatype_map && !datatype_map_.Parse(*o_.datatype_map, skipped, error)) throw EngineError("-dtp: " + error);
  for (const std::string& s : skipped) log.Warning("-dtp: rule '" + s + "' has no ':' and is skipped");
  const double w = std::ceil(o_.min_width * dbu_per_user_unit_ - 1e-9);
  if (w >= std::numeric_limits<std::int32_t>::max()) throw EngineError("-min: width too large");
  min_width_ = w > 0 ? static_cast<std::int32_t>(w) : 0;
  const PolygonLimits& p = o_.polygons;
  polygons_active_ = p.min_extent > 0 || p.max_extent > 0 || p.height_to_width > 0 || p.width_to_height > 0 ||
                     p.area_ratio > 0 || p.max_vertices > 0 || p.debug_offset > 0 || p.debug_vertices > 0;
  touches_elements_ = layers_.active() || datatypes_.active() || layer_map_.active() || datatype_map_.active() ||
                      min_width_ > 0 || text_limit_ || o_.unfold || polygons_active_;
}

Outcome ElementFilter::Numbers(ShapeFields& f, FilterCounts& counts) const {
  const std::uint16_t layer = f.layer.value_or(0), datatype = f.datatype.value_or(0);
  if (layers_.active() && !layers_.Keeps(layer)) {
    counts.Add(Tally::kDroppedByLayer);
    return Outcome::kDropped;
  }
  if (datatypes_.active() && !datatypes_.Keeps(datatype)) {
    counts.Add(Tally::kDroppedByDatatype);
    return Outcome::kDropped;
  }
  if (f.kind == gds::ElementKind::kText && text_limit_ && f.mag > *o_.max_text_mag) {
    counts.Add(Tally::kTextTooLarge);
    return Outcome::kDropped;
  }
  Outcome outcome = Outcome::kKept;
  if (f.layer && layer_map_(layer) != layer) {
    f.layer = layer_map_(layer);
    counts.Add(Tally::kLayerRenumbered);
    outcome = Outcome::kChanged;
  }
  if (f.datatype && datatype_map_(datatype) != datatype) {
    f.datatype = datatype_map_(datatype);
    counts.Add(Tally::kDatatypeRenumbered);
    outcome = Outcome::kChanged;
  }
  if (f.kind != gds::ElementKind::kPath) return outcome;
  const std::int32_t width = f.width.value_or(0);
  if (min_width_ > 0 && std::abs(static_cast<std::int64_t>(width)) < min_width_) {
    f.width = width < 0 ? -min_width_ : min_width_;  // an absolute width stays absolute
    counts.Add(Tally::kPathWidened);
    outcome = Outcome::kChanged;
  }
  return outcome;
}

std::string ElementPlace(const std::string& structure, std::uint64_t offset) {
  return "structure " + Shown(structure) + ": element at offset " + std::to_string(offset);
}

Outcome ElementFilter::Shape(gds::Element& e, const std::string& structure, FilterCounts& counts,
                             std::string& warning) const {
  if (!IsShape(e.kind)) return Outcome::kKept;
  ShapeFields f{e.kind, e.layer, e.datatype, e.width, e.magnification()};
  Outcome outcome = Numbers(f, counts);
  if (outcome == Outcome::kDropped) return outcome;
  e.layer = f.layer;
  e.datatype = f.datatype;
  e.width = f.width;
  if (!o_.unfold || e.kind != gds::ElementKind::kPath) return outcome;
  std::string why;
  switch (gds::BuildPathOutline(e.xy, gds::PathShapeOf(e), outline_, why)) {
    case gds::OutlineFault::kNone:
      break;
    case gds::OutlineFault::kNoArea:
      counts.Add(Tally::kZeroWidthPath);
      warning = "path at offset " + std::to_string(e.offset) + " dropped when unfolding: " + why;
      return Outcome::kDropped;
    case gds::OutlineFault::kOutOfRange:
      throw EngineError(ElementPlace(structure, e.offset) + " cannot be unfolded: " + why);
  }
  if (outline_.size() > gds::kMaxXYPoints) {
    counts.Add(Tally::kPathNotUnfolded);
    warning = "path at offset " + std::to_string(e.offset) + " kept as a path: its outline has " +
              std::to_string(outline_.size()) + " points";
    return outcome;
  }
  gds::BecomeBoundary(e, outline_);
  counts.Add(Tally::kPathUnfolded);
  return Outcome::kChanged;
}

bool ElementFilter::PolygonPasses(const gds::Element& e, FilterCounts& counts, std::string& note) const {
  if (!polygons_active_ || e.kind != gds::ElementKind::kBoundary) return true;
  const PolygonLimits& p = o_.polygons;
  const gds::Box box = gds::PointsBox(e.xy.data(), e.xy.size());
  const double w = box.empty() ? 0 : (box.max_x - box.min_x) / dbu_per_user_unit_;
  const double h = box.empty() ? 0 : (box.max_y - box.min_y) / dbu_per_user_unit_;
  const double extent = std::max(w, h);
  const double inf = std::numeric_limits<double>::infinity();
  const double area = gds::PolygonArea(e.xy.data(), e.xy.size()) / (dbu_per_user_unit_ * dbu_per_user_unit_);
  const double area_ratio = area > 0 ? (w * h) / area : inf;
  const std::size_t vertices = gds::VertexCount(e.xy.data(), e.xy.size());
  const char* reason = nullptr;
  Tally tally = Tally::kCount;
  auto check = [&](bool fails, Tally t, const char* why) {
    if (reason == nullptr && fails) {
      reason = why;
      tally = t;
    }
  };
  check(p.min_extent > 0 && extent < p.min_extent, Tally::kBelowMinExtent, "extent below the minimum");
  check(p.max_extent > 0 && extent > p.max_extent, Tally::kAboveMaxExtent, "extent above the maximum");
  check(p.height_to_width > 0 && (w > 0 ? h / w : (h > 0 ? inf : 0)) > p.height_to_width, Tally::kAboveHeightWidth,
        "height/width above the limit");
  check(p.width_to_height > 0 && (h > 0 ? w / h : (w > 0 ? inf : 0)) > p.width_to_height, Tally::kAboveWidthHeight,
        "width/height above the limit");
  check(p.area_ratio > 0 && area_ratio > p.area_ratio, Tally::kAboveAreaRatio, "area ratio above the limit");
  check(p.max_vertices > 0 && vertices > static_cast<std::size_t>(p.max_vertices), Tally::kAboveVertexCount,
        "vertex count above the limit");
  if (reason != nullptr) counts.Add(tally);
  if ((p.debug_offset > 0 && e.offset == static_cast<std::uint64_t>(p.debug_offset)) ||
      (p.debug_vertices > 0 && vertices == static_cast<std::size_t>(p.debug_vertices))) {
    note = "boundary at offset " + std::to_string(e.offset) + ": " + std::to_string(vertices) + " vertices, " +
           Real(w) + " x " + Real(h) + ", area " + Real(area) + ", area ratio " + Real(area_ratio) + ": " +
           (reason ? std::string("dropped, ") + reason : std::string("kept"));
  }
  return reason == nullptr;
}

}  // namespace korvex::engine
