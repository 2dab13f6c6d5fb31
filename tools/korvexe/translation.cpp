#include "korvexe/translation.h"

#include <algorithm>
#include <cstdint>
#include <unordered_set>

#include "core/support/number_text.h"
#include "gds/name_codec.h"
#include "gds/stream_writer.h"
#include "korvexe/as_is_pairs.h"
#include "korvexe/copies_ahead.h"
#include "korvexe/cycle_cuts.h"
#include "korvexe/element_filter.h"
#include "korvexe/explode.h"
#include "korvexe/flat_estimate.h"
#include "korvexe/record_copier.h"
#include "korvexe/run_control.h"
#include "korvexe/structure_copier.h"
#include "korvexe/structure_names.h"

namespace korvex::engine {
namespace {

bool IsReference(const gds::Element& e) {
  return e.kind == gds::ElementKind::kSRef || e.kind == gds::ElementKind::kARef;
}

std::vector<std::string> DefinedNames(const InputLayout& in, std::vector<std::uint32_t>& index) {
  std::vector<std::string> names;
  for (std::uint32_t s : in.summary.listed) {
    names.push_back(in.names[s]);
    index.push_back(s);
  }
  return names;
}

class Translation {
 public:
  Translation(const EngineOptions& o, InputLayout& in, OutputStream* out, EngineLog& log)
      : o_(o), in_(in), out_(out), log_(log), filter_(o, in.dbu_per_user_unit(), log, in.summary.largest_text_mag) {}

  WriteTotals Run();

 private:
  void ChooseStructures();
  void ChooseNames();
  void ApplyRenameMap(std::vector<std::string>& names);
  void Prune();
  void CutCycles();
  void CheckFlatSize(const std::vector<std::uint32_t>& roots);
  Outcome Edit(gds::Element& e, std::uint32_t s, FilterCounts& counts, bool quiet);
  bool ChildrenChange(std::uint32_t s) const;
  bool AsItIs(std::uint32_t s) const;
  void CountAsIs();
  void StartCopiesAhead();
  void WriteStructure(std::uint32_t s);
  void Summarize(const std::vector<std::uint32_t>& written, const FilterCounts* placed);
  const std::string* NewName(std::uint32_t s) const {
    return out_names_[s] != in_.names[s] || IsUnnamed(in_, s) ? &out_names_[s] : nullptr;
  }
  bool Undefined(std::uint32_t s) const { return !in_.summary.structures[s].defined; }

  const EngineOptions& o_;
  InputLayout& in_;
  OutputStream* out_;  // none in a dry run
  EngineLog& log_;
  ElementFilter filter_;
  FilterCounts counts_;
  std::optional<std::uint32_t> top_;
  std::vector<bool> in_tree_;
  std::vector<bool> removed_;
  std::vector<bool> as_is_;  // structures taken as they are: see AsItIs()
  std::vector<bool> ahead_;  // structures copied ahead by copies_ahead_
  std::unique_ptr<CopiesAhead> copies_ahead_;
  std::size_t in_batch_ = 0;  // structures of the batch at hand already written
  std::vector<std::string> out_names_;
  CycleCuts cuts_;
  std::uint64_t dropped_references_ = 0;
  WriteTotals totals_;
};

WriteTotals Translation::Run() {
  ChooseStructures();
  ChooseNames();
  removed_.assign(in_.names.size(), false);
  if (o_.prune && !o_.explode) Prune();
  if (!o_.explode) CutCycles();

  std::vector<std::uint32_t> roots;
  if (o_.explode) {
    if (top_) roots.push_back(*top_);
    else roots = in_.Independent();
    CheckFlatSize(roots);
  }
  if (out_ != nullptr) gds::WriteLibraryHeader(out_->records(), ReadHeaderRecords(in_));
  std::vector<std::uint32_t> written;
  std::optional<FilterCounts> placed;  // flattened: the shape options' counts per placement
  if (o_.explode) {
    Flattener flattener(in_, filter_, counts_, log_, out_, totals_.pairs);
    for (std::uint32_t r : roots) {
      const ExplodeResult x = flattener.Explode(r, out_names_[r], o_.prune);
      log_.Line("Explode: " + Shown(out_names_[r]) + " flattened, " + std::to_string(x.placements - 1) +
                " structure instances placed, " + std::to_string(x.elements) + " elements");
      if (!x.written) log_.Line("Prune: " + Shown(out_names_[r]) + " removed, nothing left in it");
      if (x.written) written.push_back(r);
      totals_.structures += x.written ? 1 : 0;
      totals_.elements += x.elements;
      totals_.dropped.invalid += x.left_out;
    }
    placed = flattener.placed();
  } else {
    as_is_.assign(in_.names.size(), false);
    for (std::uint32_t s : in_.summary.listed) as_is_[s] = AsItIs(s);
    CountAsIs();
    StartCopiesAhead();
    for (std::uint32_t s : in_.summary.listed) {
      if (!in_tree_[s] || removed_[s]) continue;
      WriteStructure(s);
      written.push_back(s);
      CheckStop();
    }
  }
  if (out_ != nullptr) {
    gds::WriteLibraryEnd(out_->records());
    out_->Check();
  }
  LogFilterCounts(counts_, log_);
  if (dropped_references_ > 0)
    log_.Line("  references to removed structures dropped: " + std::to_string(dropped_references_));
  Summarize(written, placed ? &*placed : nullptr);
  return totals_;
}

// Where each pair goes follows from the numbers alone; the renames are those of the
// structures written.
void Translation::Summarize(const std::vector<std::uint32_t>& written, const FilterCounts* placed) {
  totals_.pairs.Resolve([this](PairKey key) -> std::optional<PairKey> {
    ShapeFields f;
    f.layer = LayerOf(key);
    f.datatype = DatatypeOf(key);
    FilterCounts ignored;
    if (filter_.Numbers(f, ignored) == Outcome::kDropped) return std::nullopt;
    return KeyOf(*f.layer, *f.datatype);
  });
  for (std::uint32_t s : written)
    if (NewName(s) != nullptr) totals_.renamed.push_back({in_.names[s], out_names_[s], {}});
  AddShapeDrops(placed != nullptr ? *placed : counts_, totals_.dropped);
  AddPolygonDrops(counts_, totals_.dropped);
  totals_.dropped.prune += dropped_references_;
}

// Known before anything is written: a flattening that cannot fit is refused at once, instead
// of filling the disk for hours.
void Translation::CheckFlatSize(const std::vector<std::uint32_t>& roots) {
  std::uint64_t elements_in = 0;
  for (const gds::StructureSummary& s : in_.summary.structures)
    for (std::uint64_t c : s.counts) elements_in += c;
  FlatEstimator estimator(in_.summary, static_cast<double>(in_.size()) / static_cast<double>(std::max<std::uint64_t>(elements_in, 1)));
  FlatSize total;
  for (std::uint32_t r : roots) {
    const FlatSize f = estimator.Of(r);
    total.elements = f.elements > UINT64_MAX - total.elements ? UINT64_MAX : total.elements + f.elements;
    total.bytes = f.bytes > UINT64_MAX - total.bytes ? UINT64_MAX : total.bytes + f.bytes;
  }
  const std::string estimate = "at most " + std::to_string(total.elements) + " elements, about " + ByteText(total.bytes);
  log_.Line("Explode: the flat result holds " + estimate);
  if (total.elements > kFlatElementCeiling)
    throw EngineError("flattening would write " + estimate + ", more than the ceiling of " +
                      std::to_string(kFlatElementCeiling) + " elements");
  const std::optional<std::uint64_t> free = FreeSpaceFor(o_.output);
  if (free && total.bytes > *free)
    throw EngineError("flattening would write " + estimate + ", more than the " + ByteText(*free) +
                      " free beside the output " + o_.output);
}

void Translation::ChooseStructures() {
  top_ = ResolveTop(o_.top, in_);
  in_tree_ = TreeOf(in_, top_);
  std::uint64_t outside = 0;
  for (std::uint32_t s : in_.summary.listed)
    if (!in_tree_[s]) ++outside;
  if (top_) {
    log_.Line("Top structure: " + Shown(in_.names[*top_]));
    log_.Line("Structures outside its tree left out: " + std::to_string(outside));
    std::string others;
    for (std::uint32_t s : in_.Independent())
      if (s != *top_) others += " " + Shown(in_.names[s]);
    if (!others.empty()) log_.Line("Other independent structures:" + others);
  } else {
    log_.Line("Top structure: none given, every structure kept");
  }
  for (std::uint32_t u : in_.hierarchy.undefined)
    log_.Warning("reference to undefined structure " + Shown(in_.names[u]) + " in the input", "undefined");
}

// Over the structures written: from TOP (or the independent structures) first, so that the
// reference cut is the one that leads back up.
void Translation::CutCycles() {
  if (in_.hierarchy.cycle_count == 0) return;
  const auto& st = in_.summary.structures;
  const auto written = [this](std::uint32_t s) { return in_tree_[s] && !removed_[s]; };
  std::vector<std::vector<std::uint32_t>> children(st.size());
  for (std::uint32_t s : in_.summary.listed) {
    if (!written(s)) continue;
    for (std::size_t i = 0; i < st[s].reference_count; ++i) {
      const std::uint32_t c = in_.summary.references[st[s].first_reference + i].child;
      if (written(c)) children[s].push_back(c);
    }
  }
  std::vector<std::uint32_t> order = top_ ? std::vector<std::uint32_t>{*top_} : in_.Independent();
  order.insert(order.end(), in_.summary.listed.begin(), in_.summary.listed.end());
  cuts_ = CycleCuts(children, order);
}

void Translation::ApplyRenameMap(std::vector<std::string>& names) {
  const std::vector<RenameLine> lines = ReadRenameMap(*o_.rename_path, log_);
  std::vector<std::uint32_t> index;
  const std::vector<std::string> defined = DefinedNames(in_, index);
  std::uint64_t renamed = 0;
  for (const RenameLine& line : lines) {
    const gds::NameResolution r = gds::ResolveStructureName(line.old_name, defined);
    if (!r.found) {
      log_.Warning("rename map line " + std::to_string(line.line) + ": " + r.error);
      continue;
    }
    const std::uint32_t s = index[r.index];
    if (!in_tree_[s]) continue;
    names[s] = line.new_name;
    ++renamed;
    log_.Line("Rename: " + Shown(in_.names[s]) + " -> " + Shown(line.new_name));
  }
  log_.Line("Structures renamed by the map: " + std::to_string(renamed));
}

void Translation::ChooseNames() {
  out_names_ = in_.names;
  if (o_.rename_path) ApplyRenameMap(out_names_);
  // The names in the output: the tree's structures and the undefined names they reference.
  std::vector<std::uint32_t> used;
  for (std::uint32_t s = 0; s < in_.names.size(); ++s)
    if ((in_tree_[s] && !Undefined(s)) || (Undefined(s) && in_.hierarchy.referenced[s])) used.push_back(s);
  if (o_.explode) used = top_ ? std::vector<std::uint32_t>{*top_} : in_.Independent();
  for (std::uint32_t s : used)
    if (IsUnnamed(in_, s))
      log_.Line("Name: the structure at offset " + std::to_string(in_.summary.structures[s].offset) +
                " has none, written as " + Shown(out_names_[s]));
  std::unordered_set<std::string> taken;
  for (std::uint32_t s : used) {
    if (!taken.insert(out_names_[s]).second)
      throw EngineError("two structures would be named " + Shown(out_names_[s]) + " (check the rename map)");
  }
  if (o_.names != NameCase::kKeep) {
    taken.clear();
    std::uint64_t changed = 0;
    for (std::uint32_t s : used) {
      const std::string fixed = UniqueName(FixName(out_names_[s], o_.names), taken, kFixedNameLength);
      if (fixed == out_names_[s]) continue;
      log_.Line("Name: " + Shown(out_names_[s]) + " -> " + Shown(fixed));
      out_names_[s] = fixed;
      ++changed;
    }
    log_.Line("Structure names changed: " + std::to_string(changed));
  }
}

// A structure is empty when no element of its own survives the filters and every structure
// it references is empty; empty ones go, with every reference to them.
void Translation::Prune() {
  const auto& st = in_.summary.structures;
  std::vector<bool> nonempty(st.size(), false);
  for (std::uint32_t s : in_.summary.listed) {
    if (!in_tree_[s]) continue;
    if (filter_.touches_elements() && filter_.numbers_only()) {
      nonempty[s] = CountShapesByRecords(in_, s, filter_) > 0;
    } else if (filter_.touches_elements()) {
      FilterCounts scratch;
      const ElementEdit count = [&](gds::Element& e) {
        return IsReference(e) ? Outcome::kDropped : Edit(e, s, scratch, true);
      };
      nonempty[s] = CopyStructure(in_, st[s].offset, nullptr, count, nullptr).elements > 0;
    } else {
      const auto& c = st[s].counts;
      nonempty[s] = c[0] + c[1] + c[4] + c[5] + c[6] > 0;
    }
  }
  // Undefined names are kept: what they hold is not known here.
  for (std::uint32_t s = 0; s < st.size(); ++s)
    if (!st[s].defined) nonempty[s] = true;
  // Non-emptiness climbs from children to parents.
  std::vector<std::vector<std::uint32_t>> parents(st.size());
  for (std::uint32_t s : in_.summary.listed) {
    if (!in_tree_[s]) continue;
    for (std::size_t i = 0; i < st[s].reference_count; ++i)
      parents[in_.summary.references[st[s].first_reference + i].child].push_back(s);
  }
  std::vector<std::uint32_t> work;
  for (std::uint32_t s = 0; s < st.size(); ++s)
    if (nonempty[s]) work.push_back(s);
  while (!work.empty()) {
    const std::uint32_t c = work.back();
    work.pop_back();
    for (std::uint32_t p : parents[c]) {
      if (!nonempty[p]) {
        nonempty[p] = true;
        work.push_back(p);
      }
    }
  }
  std::uint64_t count = 0;
  for (std::uint32_t s : in_.summary.listed) {
    if (!in_tree_[s] || nonempty[s]) continue;
    removed_[s] = true;
    ++count;
    log_.Line("Prune: " + Shown(in_.names[s]) + " removed");
  }
  log_.Line("Empty structures removed: " + std::to_string(count));
}

Outcome Translation::Edit(gds::Element& e, std::uint32_t s, FilterCounts& counts, bool quiet) {
  if (IsReference(e)) {
    const std::optional<std::uint32_t> child = in_.Find(e.sname);
    if (!child) return Outcome::kKept;
    if (removed_[*child]) {
      if (!quiet) ++dropped_references_;
      return Outcome::kDropped;
    }
    if (cuts_.Cut(s, *child)) {
      if (!quiet) WarnCycleCut(in_.names[s], e, log_);
      return Outcome::kDropped;
    }
    if (out_names_[*child] == e.sname) return Outcome::kKept;
    e.sname = out_names_[*child];
    return Outcome::kChanged;
  }
  const std::optional<PairKey> pair = PairOf(e);
  std::string note;
  Outcome outcome = filter_.Shape(e, in_.names[s], counts, note);
  if (!quiet && !note.empty()) log_.Warning(note, "shape change");
  if (outcome != Outcome::kDropped) {
    note.clear();
    if (!filter_.PolygonPasses(e, counts, note)) outcome = Outcome::kDropped;
    if (!quiet && !note.empty()) log_.Line("Polygon " + note);
  }
  if (!quiet) totals_.pairs.Count(pair, outcome != Outcome::kDropped);
  return outcome;
}

// Element by element when a reference changes or the name is written anew.
bool Translation::ChildrenChange(std::uint32_t s) const {
  const gds::StructureSummary& st = in_.summary.structures[s];
  if (cuts_.From(s) || IsUnnamed(in_, s)) return true;
  for (std::size_t i = 0; i < st.reference_count; ++i) {
    const std::uint32_t c = in_.summary.references[st.first_reference + i].child;
    if (removed_[c] || out_names_[c] != in_.names[c]) return true;
  }
  return false;
}

// Copied byte for byte; or, in a dry run where the numbers of its shapes alone decide what is
// written, counted from the index without being read.
bool Translation::AsItIs(std::uint32_t s) const {
  const bool copied = !filter_.touches_elements() || (out_ == nullptr && filter_.pair_decides());
  return copied && in_tree_[s] && !removed_[s] && in_.summary.structures[s].verbatim && !ChildrenChange(s);
}

// Structures copied record by record on their own are copied ahead on the other cores, in
// batches of neighbours in the order they are written.
void Translation::StartCopiesAhead() {
  ahead_.assign(in_.names.size(), false);
  std::vector<CopiesAhead::Batch> batches;
  std::uint64_t bytes = 0;
  bool joins = false;  // the structure written before was made ahead too
  for (std::uint32_t s : in_.summary.listed) {
    if (!in_tree_[s] || removed_[s]) continue;
    const gds::StructureSummary& st = in_.summary.structures[s];
    const std::uint64_t size = st.end > st.offset ? st.end - st.offset : 0;
    if (as_is_[s] || !filter_.numbers_only() || ChildrenChange(s) || size == 0 || size > CopiesAhead::kBatchBytes) {
      joins = false;
      continue;
    }
    if (!joins || bytes + size > CopiesAhead::kBatchBytes) {
      batches.emplace_back();
      bytes = 0;
    }
    batches.back().push_back(s);
    bytes += size;
    ahead_[s] = true;
    joins = true;
  }
  if (batches.empty()) return;
  const auto make = [this](std::uint32_t s, AheadCopy& copy) {
    copy.results.push_back(CopyStructureByRecords(in_, s, NewName(s), filter_, copy.counts,
                                                  out_ != nullptr ? &copy.plan : nullptr, &copy.pairs, false));
  };
  copies_ahead_ = std::make_unique<CopiesAhead>(std::move(batches), make, 2);
}

// The shapes of the structures taken as they are, through the number options pair by pair.
void Translation::CountAsIs() {
  PairTally as_is;
  CountAsIsPairs(in_, as_is_, as_is);
  for (const auto& [key, count] : as_is.Sorted()) {
    ShapeFields f;
    f.layer = LayerOf(key);
    f.datatype = DatatypeOf(key);
    FilterCounts one;
    const bool kept = filter_.Numbers(f, one) != Outcome::kDropped;
    counts_.Add(one, count.in);
    totals_.pairs.Count(key, count.in, kept ? count.in : 0);
    if (kept) totals_.elements += count.in;
  }
}

void Translation::WriteStructure(std::uint32_t s) {
  const gds::StructureSummary& st = in_.summary.structures[s];
  ReleaseBehind(in_, st.offset);
  if (as_is_[s]) {
    if (out_ != nullptr) CopyStructureVerbatim(in_, st.offset, st.end, NewName(s), *out_);
    ++totals_.structures;
    totals_.elements += st.counts[2] + st.counts[3];  // the shapes are counted by CountAsIs()
    return;
  }
  const bool by_records = filter_.numbers_only() && !ChildrenChange(s);  // as every copy made ahead
  CopyResult copied;
  if (ahead_[s]) {
    // The whole batch is written at its first structure: its structures follow one another.
    AheadCopy& copy = copies_ahead_->Next();
    if (in_batch_ == 0) {
      if (out_ != nullptr) copy.plan.WriteTo(*out_);
      counts_.Add(copy.counts);
      totals_.pairs.Add(copy.pairs);
      if (out_ != nullptr) out_->Check();
    }
    copied = std::move(copy.results[in_batch_++]);
    if (in_batch_ == copy.results.size()) {
      copies_ahead_->Release();
      in_batch_ = 0;
    }
  } else if (by_records) {
    copied = CopyStructureByRecords(in_, s, NewName(s), filter_, counts_, out_, &totals_.pairs);
  }
  if (by_records) {
    // The record copier counts shapes; the references written are the ones read, less those left out.
    std::uint64_t references = st.counts[2] + st.counts[3];
    for (const LeftOut& l : copied.left_out)
      if (l.why != nullptr && (l.record == gds::kSRef || l.record == gds::kARef) && references > 0) --references;
    copied.elements += references;
  } else {
    const ElementEdit edit = [this, s](gds::Element& e) { return Edit(e, s, counts_, false); };
    copied = CopyStructure(in_, st.offset, NewName(s), edit, out_);
  }
  totals_.dropped.invalid += LogLeftOut(copied.left_out, in_.names[s], log_);
  totals_.elements += copied.elements;
  ++totals_.structures;
}

}  // namespace

std::optional<std::uint32_t> ResolveTop(const std::string& top, const InputLayout& in) {
  if (top.empty()) return std::nullopt;
  std::vector<std::uint32_t> index;
  const std::vector<std::string> defined = DefinedNames(in, index);
  const gds::NameResolution r = gds::ResolveStructureName(gds::DecodeName(top), defined);
  if (!r.found) throw EngineError("top structure: " + r.error);
  return index[r.index];
}

std::vector<bool> TreeOf(const InputLayout& in, std::optional<std::uint32_t> top) {
  const auto& st = in.summary.structures;
  std::vector<bool> tree(st.size(), false);
  if (!top) {
    for (std::uint32_t s : in.summary.listed) tree[s] = true;
    return tree;
  }
  std::vector<std::uint32_t> work{*top};
  tree[*top] = true;
  while (!work.empty()) {
    const std::uint32_t s = work.back();
    work.pop_back();
    for (std::size_t i = 0; i < st[s].reference_count; ++i) {
      const std::uint32_t c = in.summary.references[st[s].first_reference + i].child;
      if (!tree[c] && st[c].defined) {
        tree[c] = true;
        work.push_back(c);
      }
    }
  }
  return tree;
}

WriteTotals RunTranslation(const EngineOptions& options, InputLayout& in, OutputStream* out, EngineLog& log) {
  return Translation(options, in, out, log).Run();
}

}  // namespace korvex::engine
