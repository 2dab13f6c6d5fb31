#include "korvexe/run_summary.h"

#include "korvexe/structure_names.h"

namespace korvex::engine {
namespace {

std::string PairText(PairKey key) {
  return std::to_string(LayerOf(key)).append("/").append(std::to_string(DatatypeOf(key)));
}

}  // namespace

void AddShapeDrops(const FilterCounts& counts, DropCounts& dropped) {
  dropped.layer += counts[Tally::kDroppedByLayer];
  dropped.datatype += counts[Tally::kDroppedByDatatype];
  dropped.path_width += counts[Tally::kZeroWidthPath];
  dropped.text_size += counts[Tally::kTextTooLarge];
}

void AddPolygonDrops(const FilterCounts& counts, DropCounts& dropped) {
  for (Tally t : {Tally::kBelowMinExtent, Tally::kAboveMaxExtent, Tally::kAboveHeightWidth, Tally::kAboveWidthHeight,
                  Tally::kAboveAreaRatio, Tally::kAboveVertexCount})
    dropped.polygon += counts[t];
}

void LogRunSummary(const WriteTotals& totals, EngineLog& log) {
  for (const auto& [key, count] : totals.pairs.Sorted()) {
    std::string line = "Pair " + PairText(key) + " -> ";
    if (count.target) {
      line.append(PairText(*count.target)).append(": ").append(std::to_string(count.in)).append(" in, ");
      line.append(std::to_string(count.out)).append(" out");
    } else {
      line.append("dropped: ").append(std::to_string(count.in)).append(" in");
    }
    log.Line(line);
  }
  for (const RenamedStructure& r : totals.renamed) {
    std::string line = "Renamed: " + Shown(r.from) + " -> " + Shown(r.to);
    if (!r.file.empty()) line.append(" (").append(r.file).append(")");
    log.Line(line);
  }
  const DropCounts& d = totals.dropped;
  const std::pair<const char*, std::uint64_t> reasons[] = {
      {"layer", d.layer},           {"datatype", d.datatype},   {"polygon filter", d.polygon},
      {"path width", d.path_width}, {"text size", d.text_size}, {"prune", d.prune},
      {"invalid element", d.invalid}};
  for (const auto& [reason, n] : reasons) log.Line(std::string("Dropped by ").append(reason).append(": ").append(std::to_string(n)));
  log.Line("Shapes: " + std::to_string(totals.pairs.in()) + " in, " + std::to_string(totals.pairs.out()) + " out");
}

}  // namespace korvex::engine
