#include "korvexe/merge.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "gds/stream_writer.h"
#include "korvexe/as_is_pairs.h"
#include "korvexe/cycle_cuts.h"
#include "korvexe/run_control.h"
#include "korvexe/structure_content.h"
#include "korvexe/structure_copier.h"
#include "korvexe/structure_names.h"

namespace korvex::engine {
namespace {

constexpr double kUnitTolerance = 1e-9;

struct Placement {
  std::size_t file = 0;
  std::uint32_t structure = 0;
  bool operator==(const Placement&) const = default;
};

// Where a reference to a name no file of the merge defines leads.
constexpr Placement kNowhere{SIZE_MAX, 0};
// Where a reference leads while that is not decided yet (in a reference cycle): nowhere
// that anything else leads.
constexpr Placement kUndecided{SIZE_MAX - 1, 0};

// What becomes of each file's structures.
struct FilePlan {
  std::vector<bool> selected;
  std::vector<bool> dropped;                               // merge: a later definition
  std::vector<bool> blended;                               // blend: appended to the first one
  // A later definition with the content of an earlier one, which it is written as.
  std::vector<std::optional<Placement>> same_as;
  std::vector<std::optional<ContentDigest>> digests;       // computed when first needed
  std::vector<bool> settled;                               // same_as is decided
  std::unordered_map<std::string, std::string> renamed;    // add: old name -> new name
  std::int64_t scale = 1;                                  // coordinates times this
};


const char* ModeName(MergeMode m) {
  switch (m) {
    case MergeMode::kMerge: return "merge";
    case MergeMode::kAdd: return "add";
    case MergeMode::kBlend: return "blend";
    case MergeMode::kNone: break;
  }
  return "";
}

class Merger {
 public:
  Merger(const EngineOptions& o, std::vector<InputLayout*> files, OutputStream* out, EngineLog& log)
      : o_(o), files_(std::move(files)), out_(out), log_(log), plans_(files_.size()) {}

  WriteTotals Run();

 private:
  std::size_t ChooseUnits();
  void ChooseStructures();
  void FindSameContent();
  std::optional<Placement> EarlierWithSameContent(Placement later,
                                                  const std::unordered_map<std::string, std::vector<Placement>>& kept);
  const ContentDigest& Digest(Placement p);
  Definition DefinitionOf(Placement p) const {
    return {files_[p.file], p.structure, plans_[p.file].scale};
  }
  Placement Target(std::size_t file, std::uint32_t s) const;
  std::optional<std::string> DifferingChild(Placement later, Placement earlier) const;
  std::string Difference(Placement later, Placement earlier) const;
  void ResolveNames();
  std::vector<std::string> CombineChildren();
  Outcome Edit(std::size_t file, std::uint32_t s, gds::Element& e);
  void WriteCombine(const gds::LibraryHeader& header, const std::vector<std::string>& children);
  void ListRenames();
  // Whether structure `s` of `file` is written as a structure of its own.
  bool Writes(std::size_t file, std::uint32_t s) const {
    const FilePlan& p = plans_[file];
    return p.selected[s] && !p.dropped[s] && !p.blended[s] && !p.same_as[s];
  }
  void CutCycles();
  std::uint32_t Node(const std::string& name);
  void WriteStructure(std::size_t file, std::uint32_t s);
  const std::string& OutName(std::size_t file, const std::string& name) const {
    const auto it = plans_[file].renamed.find(name);
    return it == plans_[file].renamed.end() ? name : it->second;
  }

  const EngineOptions& o_;
  std::vector<InputLayout*> files_;
  OutputStream* out_;  // none in a dry run
  EngineLog& log_;
  std::vector<FilePlan> plans_;
  std::optional<std::uint32_t> top_;
  std::unordered_map<std::string, Placement> first_;  // the first definition of each name
  // Blend: the structures whose elements go into the first definition of a name.
  std::unordered_map<std::string, std::vector<Placement>> blends_;
  // The output's structures by name, for the cycles that the files make together.
  std::unordered_map<std::string, std::uint32_t> nodes_;
  CycleCuts cuts_;
  WriteTotals totals_;
};

// The output takes the finest grid; every other file's grid must be a whole multiple of it.
std::size_t Merger::ChooseUnits() {
  std::size_t finest = 0;
  for (std::size_t f = 1; f < files_.size(); ++f)
    if (files_[f]->metres_per_dbu() < files_[finest]->metres_per_dbu() * (1 - kUnitTolerance)) finest = f;
  const double grid = files_[finest]->metres_per_dbu();
  for (std::size_t f = 0; f < files_.size(); ++f) {
    const double factor = files_[f]->metres_per_dbu() / grid;
    const double whole = std::round(factor);
    if (!(whole >= 1) || std::fabs(factor - whole) > kUnitTolerance * factor)
      throw EngineError("database unit of " + files_[f]->path + " is not a whole multiple of that of " +
                        files_[finest]->path + " (factor " + std::to_string(factor) + ")");
    plans_[f].scale = static_cast<std::int64_t>(whole);
    if (whole != 1) log_.Line("Units: " + files_[f]->path + " rescaled by " + std::to_string(plans_[f].scale));
  }
  return finest;
}

void Merger::ChooseStructures() {
  top_ = ResolveTop(o_.top, *files_[0]);
  for (std::size_t f = 0; f < files_.size(); ++f) {
    const InputLayout& in = *files_[f];
    FilePlan& p = plans_[f];
    p.selected = f == 0 ? TreeOf(in, top_) : TreeOf(in, std::nullopt);
    p.dropped.assign(in.names.size(), false);
    p.blended.assign(in.names.size(), false);
    p.same_as.assign(in.names.size(), std::nullopt);
    p.digests.assign(in.names.size(), std::nullopt);
    p.settled.assign(in.names.size(), false);
    for (std::uint32_t s : in.summary.listed)
      if (p.selected[s]) first_.emplace(in.names[s], Placement{f, s});
  }
}

const ContentDigest& Merger::Digest(Placement p) {
  std::optional<ContentDigest>& d = plans_[p.file].digests[p.structure];
  if (!d) d = DigestStructure(*files_[p.file], p.structure, plans_[p.file].scale);
  return *d;
}

// The definition that a reference of `file` to its structure `s` leads to in the output.
Placement Merger::Target(std::size_t file, std::uint32_t s) const {
  const InputLayout& in = *files_[file];
  const FilePlan& p = plans_[file];
  const auto first = first_.find(in.names[s]);
  if (!in.summary.structures[s].defined || !p.selected[s])  // reached by its name alone
    return first == first_.end() ? kNowhere : first->second;
  if (first->second == Placement{file, s}) return first->second;
  if (!p.settled[s]) return kUndecided;
  return p.same_as[s] ? *p.same_as[s] : Placement{file, s};
}

// Under -add a reference follows its own file's definition, which may be renamed: two
// definitions alike in their bytes are still different when a structure they both name
// leads to different definitions. The first such name, or nullopt.
std::optional<std::string> Merger::DifferingChild(Placement later, Placement earlier) const {
  const InputLayout& in = *files_[later.file];
  const InputLayout& other = *files_[earlier.file];
  const gds::StructureSummary& st = in.summary.structures[later.structure];
  for (std::size_t i = 0; i < st.reference_count; ++i) {
    const std::uint32_t child = in.summary.references[st.first_reference + i].child;
    const std::optional<std::uint32_t> there = other.Find(in.names[child]);
    if (!there || !(Target(later.file, child) == Target(earlier.file, *there))) return in.names[child];
  }
  return std::nullopt;
}

std::optional<Placement> Merger::EarlierWithSameContent(
    Placement later, const std::unordered_map<std::string, std::vector<Placement>>& kept) {
  const std::string& name = files_[later.file]->names[later.structure];
  const auto it = kept.find(name);
  const std::vector<Placement> only_first{first_.at(name)};
  const auto& counts = files_[later.file]->summary.structures[later.structure].counts;
  for (const Placement& earlier : it == kept.end() ? only_first : it->second) {
    // Repeats within one file stay what they were: conflicts.
    if (earlier.file >= later.file || files_[earlier.file]->summary.structures[earlier.structure].counts != counts)
      continue;
    if (o_.merge == MergeMode::kAdd && DifferingChild(later, earlier)) continue;
    // Most repeats are copies of one library: their stored bytes are compared first.
    if (SameStoredBytes(DefinitionOf(earlier), DefinitionOf(later))) return earlier;
    const ContentDigest& digest = Digest(later);
    if (!digest.comparable || !(Digest(earlier) == digest)) continue;
    if (!FirstDifference(DefinitionOf(earlier), DefinitionOf(later))) return earlier;
  }
  return std::nullopt;
}

// Decides which later definitions have the content of an earlier one. Under -add and -blend a
// later definition may match any earlier one that is written (or appended); under -merge only
// the first, which alone is written. Children are decided before their parents, so that
// under -add a parent knows where its references lead.
void Merger::FindSameContent() {
  std::unordered_map<std::string, std::vector<Placement>> kept;
  for (std::size_t f = 0; f < files_.size(); ++f) {
    const InputLayout& in = *files_[f];
    FilePlan& p = plans_[f];
    std::vector<std::uint32_t> later;
    for (std::uint32_t s : in.summary.listed)
      if (p.selected[s] && !(first_.at(in.names[s]) == Placement{f, s})) later.push_back(s);
    std::stable_sort(later.begin(), later.end(),
                     [&in](std::uint32_t a, std::uint32_t b) { return in.hierarchy.depth[a] < in.hierarchy.depth[b]; });
    for (std::uint32_t s : later) {
      p.same_as[s] = EarlierWithSameContent({f, s}, kept);
      p.settled[s] = true;
      if (p.same_as[s] || o_.merge == MergeMode::kMerge) continue;
      std::vector<Placement>& variants = kept[in.names[s]];
      if (variants.empty()) variants.push_back(first_.at(in.names[s]));
      variants.push_back({f, s});
    }
  }
}

// What the log says of a conflict: where the later definition first differs from the first one.
std::string Merger::Difference(Placement later, Placement earlier) const {
  if (std::optional<std::string> d = FirstDifference(DefinitionOf(earlier), DefinitionOf(later))) return *d;
  if (later.file == earlier.file) return "none, but both are in one file";
  if (std::optional<std::string> child = DifferingChild(later, earlier))
    return "the structure " + Shown(*child) + " that it references";
  return "none";
}

void Merger::ResolveNames() {
  std::unordered_set<std::string> taken;
  for (std::size_t f = 0; f < files_.size(); ++f)
    for (std::uint32_t s = 0; s < files_[f]->names.size(); ++s)
      if (plans_[f].selected[s] || !files_[f]->summary.structures[s].defined) taken.insert(files_[f]->names[s]);
  std::uint64_t identical = 0;
  for (std::size_t f = 0; f < files_.size(); ++f) {
    const InputLayout& in = *files_[f];
    FilePlan& p = plans_[f];
    for (std::uint32_t s : in.summary.listed) {
      if (!p.selected[s]) continue;
      const std::string& name = in.names[s];
      const Placement first = first_.at(name);
      if (first == Placement{f, s}) continue;
      if (const std::optional<Placement>& same = p.same_as[s]) {
        ++identical;
        if (const std::string& written = OutName(same->file, name); written != name) p.renamed[name] = written;
        continue;
      }
      const std::string where = " of " + in.path + " (first defined in " + files_[first.file]->path + ")";
      const std::string difference = "; first difference: " + Difference({f, s}, first);
      switch (o_.merge) {
        case MergeMode::kMerge:
          p.dropped[s] = true;
          log_.Warning("structure " + Shown(name) + where + " dropped" + difference);
          break;
        case MergeMode::kAdd: {
          const std::string renamed = UniqueName(name, taken, 0);
          p.renamed[name] = renamed;
          log_.Line("Add: structure " + Shown(name) + where + " renamed " + Shown(renamed) + difference);
          break;
        }
        case MergeMode::kBlend:
          p.blended[s] = true;
          blends_[name].push_back({f, s});
          log_.Line("Blend: elements of " + Shown(name) + where + " appended to the first definition" + difference);
          break;
        case MergeMode::kNone:
          break;
      }
    }
  }
  log_.Line("Identical: " + std::to_string(identical) +
            " later definitions with the content of an earlier one of their name, written once");
}

// The input's TOP (or its independent structures) and each merged file's independent ones,
// by their names in the output, each once.
std::vector<std::string> Merger::CombineChildren() {
  std::vector<std::string> names;
  std::unordered_set<std::string> seen;
  for (std::size_t f = 0; f < files_.size(); ++f) {
    std::vector<std::uint32_t> roots;
    if (f == 0 && top_) roots.push_back(*top_);
    else roots = files_[f]->Independent();
    for (std::uint32_t s : roots) {
      const std::string& name = OutName(f, files_[f]->names[s]);
      if (seen.insert(name).second) names.push_back(name);
    }
  }
  return names;
}

std::uint32_t Merger::Node(const std::string& name) {
  return nodes_.emplace(name, static_cast<std::uint32_t>(nodes_.size())).first->second;
}

// A cycle may run through several files (a name one file references and another defines), so
// the walk is over the output's names, from the structures that head the output.
void Merger::CutCycles() {
  std::vector<std::uint32_t> order;
  for (const std::string& name : CombineChildren()) order.push_back(Node(name));
  std::vector<std::vector<std::uint32_t>> children;
  for (std::size_t f = 0; f < files_.size(); ++f) {
    const gds::LayoutSummary& summary = files_[f]->summary;
    for (std::uint32_t s : summary.listed) {
      if (!plans_[f].selected[s] || plans_[f].dropped[s]) continue;
      const std::uint32_t parent = Node(OutName(f, files_[f]->names[s]));
      order.push_back(parent);
      const gds::StructureSummary& st = summary.structures[s];
      for (std::size_t i = 0; i < st.reference_count; ++i) {
        const std::uint32_t child = Node(OutName(f, files_[f]->names[summary.references[st.first_reference + i].child]));
        if (children.size() < nodes_.size()) children.resize(nodes_.size());
        children[parent].push_back(child);
      }
    }
  }
  children.resize(nodes_.size());
  cuts_ = CycleCuts(children, order);
}

// Nothing is dropped in a merge: every shape met is written with its own pair.
Outcome Merger::Edit(std::size_t file, std::uint32_t s, gds::Element& e) {
  totals_.pairs.Count(PairOf(e), true);
  Outcome outcome = Outcome::kKept;
  if (e.has_sname) {
    if (cuts_.size() > 0) {
      const auto parent = nodes_.find(OutName(file, files_[file]->names[s]));
      const auto child = nodes_.find(OutName(file, e.sname));
      if (parent != nodes_.end() && child != nodes_.end() && cuts_.Cut(parent->second, child->second)) {
        WarnCycleCut(files_[file]->names[s], e, log_);
        return Outcome::kDropped;
      }
    }
    const std::string& name = OutName(file, e.sname);
    if (name != e.sname) {
      e.sname = name;
      outcome = Outcome::kChanged;
    }
  }
  if (const std::int64_t f = plans_[file].scale; f != 1) {
    RescaleElement(e, f, files_[file]->names[s], files_[file]->path);
    outcome = Outcome::kChanged;
  }
  return outcome;
}

void Merger::WriteStructure(std::size_t file, std::uint32_t s) {
  InputLayout& in = *files_[file];
  const FilePlan& p = plans_[file];
  const gds::StructureSummary& st = in.summary.structures[s];
  const std::string& name = OutName(file, in.names[s]);
  const std::string* new_name = name != in.names[s] || IsUnnamed(in, s) ? &name : nullptr;
  const auto blend = blends_.find(in.names[s]);
  const bool appends = blend != blends_.end() && !p.blended[s];
  ReleaseBehind(in, st.offset);
  // Element by element when a reference changes or the name is written anew.
  bool references_change = IsUnnamed(in, s) || (cuts_.size() > 0 && cuts_.From(nodes_.at(name)));
  for (std::size_t i = 0; i < st.reference_count && !references_change; ++i)
    references_change = p.renamed.contains(in.names[in.summary.references[st.first_reference + i].child]);
  if (p.scale == 1 && !references_change && !appends) {
    if (const std::optional<std::uint64_t> end = VerbatimEnd(in, s)) {
      if (out_ != nullptr) CopyStructureVerbatim(in, st.offset, *end, new_name, *out_);
      CountStructurePairs(in, s, totals_.pairs);
      ++totals_.structures;
      for (std::uint64_t c : st.counts) totals_.elements += c;
      return;
    }
  }
  const ElementEdit edit = [this, file, s](gds::Element& e) { return Edit(file, s, e); };
  std::function<void()> append;
  if (appends) {
    append = [this, blend] {
      for (const Placement& from : blend->second) {
        const ElementEdit other = [this, &from](gds::Element& e) { return Edit(from.file, from.structure, e); };
        const InputLayout& src = *files_[from.file];
        const CopyResult copied = CopyElements(src, src.summary.structures[from.structure].offset, other, out_);
        totals_.dropped.invalid += LogLeftOut(copied.left_out, src.names[from.structure], log_);
        totals_.elements += copied.elements;
      }
    };
  }
  const CopyResult copied = CopyStructure(in, st.offset, new_name, edit, out_, append);
  totals_.dropped.invalid += LogLeftOut(copied.left_out, in.names[s], log_);
  totals_.elements += copied.elements;
  ++totals_.structures;
}

WriteTotals Merger::Run() {
  log_.Line(std::string("Mode: ") + ModeName(o_.merge) + ", " + std::to_string(files_.size() - 1) +
            " listed files; layer, datatype, name and shape options do not apply");
  const std::size_t finest = ChooseUnits();
  ChooseStructures();
  FindSameContent();
  ResolveNames();
  CutCycles();
  std::vector<std::string> combine;
  if (o_.combine) {
    if (o_.merge == MergeMode::kBlend) {
      log_.Warning("-combine does not apply to -blend and is ignored");
    } else {
      for (std::size_t f = 0; f < files_.size(); ++f)
        for (std::uint32_t s : files_[f]->summary.listed)
          if (plans_[f].selected[s] && OutName(f, files_[f]->names[s]) == o_.combine_name)
            throw EngineError("-combine: a structure named " + Shown(o_.combine_name) + " exists already");
      if (o_.combine_markers != static_cast<int>(files_.size() - 1))
        log_.Warning("-combine carries " + std::to_string(o_.combine_markers) + " '=' for " +
                     std::to_string(files_.size() - 1) + " listed files");
      combine = CombineChildren();
    }
  }

  gds::LibraryHeader header = ReadHeaderRecords(*files_[0]);
  const gds::LibraryHeader& grid = files_[finest]->summary.header;
  header.user_unit = grid.user_unit;
  header.metre_unit = grid.metre_unit;
  if (out_ != nullptr) gds::WriteLibraryHeader(out_->records(), header);
  for (std::size_t f = 0; f < files_.size(); ++f) {
    std::uint64_t written = 0;
    for (std::uint32_t s : files_[f]->summary.listed) {
      if (!Writes(f, s)) continue;
      WriteStructure(f, s);
      ++written;
      CheckStop();
    }
    log_.Line("From " + files_[f]->path + ": " + std::to_string(written) + " structures");
  }
  if (!combine.empty() || (o_.combine && o_.merge != MergeMode::kBlend)) {
    if (out_ != nullptr) WriteCombine(header, combine);
    log_.Line("Combine: new structure " + Shown(o_.combine_name) + " references " + std::to_string(combine.size()) +
              " structures");
    ++totals_.structures;
    totals_.elements += combine.size();
  }
  if (out_ != nullptr) {
    gds::WriteLibraryEnd(out_->records());
    out_->Check();
  }
  ListRenames();
  return totals_;
}

void Merger::WriteCombine(const gds::LibraryHeader& header, const std::vector<std::string>& children) {
  gds::StructureHeader top;
  top.dates = {header.dates[0], header.dates[1], header.dates[2], header.dates[3], header.dates[4], header.dates[5],
               header.dates[0], header.dates[1], header.dates[2], header.dates[3], header.dates[4], header.dates[5]};
  top.name = o_.combine_name;
  gds::WriteStructureBegin(out_->records(), top);
  gds::Element ref;
  for (const std::string& child : children) {
    ref.Clear();
    ref.kind = gds::ElementKind::kSRef;
    ref.has_sname = true;
    ref.sname = child;
    ref.xy = {{0, 0}};
    gds::WriteElement(out_->records(), ref);
  }
  gds::WriteStructureEnd(out_->records(), top);
}

// The structures -add renamed, in file order, each with the file it comes from.
void Merger::ListRenames() {
  for (std::size_t f = 0; f < files_.size(); ++f) {
    for (std::uint32_t s : files_[f]->summary.listed) {
      if (!Writes(f, s)) continue;
      const std::string& name = files_[f]->names[s];
      const std::string& to = OutName(f, name);
      if (to != name) totals_.renamed.push_back({name, to, files_[f]->path});
    }
  }
}

}  // namespace

std::vector<std::string> ReadMergeList(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw EngineError("cannot read the merge list " + path + ": " + std::strerror(errno));
  std::vector<std::string> files;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) files.push_back(line);
  }
  return files;
}

WriteTotals RunMerge(const EngineOptions& options, std::vector<InputLayout*> files, OutputStream* out,
                     EngineLog& log) {
  return Merger(options, std::move(files), out, log).Run();
}

}  // namespace korvex::engine
