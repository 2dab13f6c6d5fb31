// What a plain translation does to one element: the layer and datatype choice, renumbering,
// minimum path width, the text size limit, unfolding paths, and polygon filtering.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "gds/element.h"
#include "korvexe/engine_log.h"
#include "korvexe/engine_options.h"
#include "korvexe/number_rules.h"

namespace korvex::engine {

enum class Tally : std::uint8_t {
  kDroppedByLayer,
  kDroppedByDatatype,
  kLayerRenumbered,
  kDatatypeRenumbered,
  kPathWidened,
  kTextTooLarge,
  kPathUnfolded,
  kPathNotUnfolded,
  kZeroWidthPath,
  kBelowMinExtent,
  kAboveMaxExtent,
  kAboveHeightWidth,
  kAboveWidthHeight,
  kAboveAreaRatio,
  kAboveVertexCount,
  kCount
};

// Counts per reason, for the log.
struct FilterCounts {
  std::array<std::uint64_t, static_cast<std::size_t>(Tally::kCount)> n{};
  void Add(Tally t) { ++n[static_cast<std::size_t>(t)]; }
  void Add(const FilterCounts& other, std::uint64_t times = 1) {
    for (std::size_t i = 0; i < n.size(); ++i) n[i] += other.n[i] * times;
  }
  std::uint64_t operator[](Tally t) const { return n[static_cast<std::size_t>(t)]; }
};

void LogFilterCounts(const FilterCounts& counts, EngineLog& log);

enum class Outcome : std::uint8_t { kKept, kChanged, kDropped };

// "structure NAME: element at offset N", how errors about one element begin.
std::string ElementPlace(const std::string& structure, std::uint64_t offset);

// What the numeric options look at and change in a shape element.
struct ShapeFields {
  gds::ElementKind kind = gds::ElementKind::kBoundary;
  std::optional<std::uint16_t> layer;
  std::optional<std::uint16_t> datatype;
  std::optional<std::int32_t> width;
  double mag = 1.0;  // of a text
};

class ElementFilter {
 public:
  // Reads the lists and maps of `options`; throws EngineError for a bad one. Notes about
  // skipped map pieces go to `log`. `largest_text_mag`: of the texts the filter will meet; a
  // text size limit above it changes nothing.
  ElementFilter(const EngineOptions& options, std::int64_t dbu_per_user_unit, EngineLog& log,
                double largest_text_mag = std::numeric_limits<double>::infinity());

  // The shape options for one element of `structure` (references pass unchanged). `warning`
  // gets a text when the change deserves one (a zero-width path that could not be unfolded).
  // Throws EngineError for a path whose outline would leave the 32-bit range.
  Outcome Shape(gds::Element& e, const std::string& structure, FilterCounts& counts, std::string& warning) const;

  // The layer and datatype choice, renumbering, minimum width and text size limit: the
  // options that need no geometry.
  Outcome Numbers(ShapeFields& f, FilterCounts& counts) const;
  // True when those are all the element options there are (no unfolding, no polygon
  // filtering), so that elements can be judged from their records.
  bool numbers_only() const { return !o_.unfold && !polygons_active_; }
  // True when a shape's layer and datatype alone decide what Numbers() does to it (no text
  // size limit, no minimum width).
  bool pair_decides() const { return numbers_only() && !text_limit_ && min_width_ == 0; }

  // Polygon filtering of a boundary, in the coordinates it is written in. False: dropped.
  // `note` gets the verdict when the debugging switches ask for this boundary.
  bool PolygonPasses(const gds::Element& e, FilterCounts& counts, std::string& note) const;

  bool polygons_active() const { return polygons_active_; }
  // Whether any element may change, so that structures need reading element by element.
  bool touches_elements() const { return touches_elements_; }

 private:
  const EngineOptions& o_;
  double dbu_per_user_unit_;
  NumberFilter layers_;
  NumberFilter datatypes_;
  NumberMap layer_map_;
  NumberMap datatype_map_;
  std::int32_t min_width_ = 0;  // database units
  bool text_limit_ = false;     // some text may be above the size limit
  bool polygons_active_ = false;
  bool touches_elements_ = false;
  mutable std::vector<gds::Point> outline_;
};

}  // namespace korvex::engine
