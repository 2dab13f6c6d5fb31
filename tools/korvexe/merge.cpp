#include "korvexe/merge.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <unordered_map>
#include <unordered_set>

#include "gds/stream_writer.h"
#include "korvexe/cycle_cuts.h"
#include "korvexe/run_control.h"
#include "korvexe/structure_copier.h"
#include "korvexe/structure_names.h"

namespace korvex::engine {
namespace {

constexpr double kUnitTolerance = 1e-9;

struct Placement {
  std::size_t file = 0;
  std::uint32_t structure = 0;
};

// What becomes of each file's structures.
struct FilePlan {
  std::vector<bool> selected;
  std::vector<bool> dropped;                               // merge: a later definition
  std::vector<bool> blended;                               // blend: appended to the first one
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
  Merger(const EngineOptions& o, std::vector<InputLayout*> files, OutputStream& out, EngineLog& log)
      : o_(o), files_(std::move(files)), out_(out), log_(log), plans_(files_.size()) {}

  WriteTotals Run();

 private:
  std::size_t ChooseUnits();
  void ChooseStructures();
  void ResolveNames();
  std::vector<std::string> CombineChildren();
  void CutCycles();
  std::uint32_t Node(const std::string& name);
  Outcome Edit(std::size_t file, std::uint32_t s, gds::Element& e) const;
  void WriteStructure(std::size_t file, std::uint32_t s);
  const std::string& OutName(std::size_t file, const std::string& name) const {
    const auto it = plans_[file].renamed.find(name);
    return it == plans_[file].renamed.end() ? name : it->second;
  }

  const EngineOptions& o_;
  std::vector<InputLayout*> files_;
  OutputStream& out_;
  EngineLog& log_;
  std::vector<FilePlan> plans_;
  std::optional<std::uint32_t> top_;
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
  }
}

void Merger::ResolveNames() {
  std::unordered_set<std::string> taken;
  for (std::size_t f = 0; f < files_.size(); ++f)
    for (std::uint32_t s = 0; s < files_[f]->names.size(); ++s)
      if (plans_[f].selected[s] || !files_[f]->summary.structures[s].defined) taken.insert(files_[f]->names[s]);
  std::unordered_map<std::string, Placement> first;
  for (std::size_t f = 0; f < files_.size(); ++f) {
    const InputLayout& in = *files_[f];
    FilePlan& p = plans_[f];
    for (std::uint32_t s : in.summary.listed) {
      if (!p.selected[s]) continue;
      const std::string& name = in.names[s];
      const auto [it, fresh] = first.emplace(name, Placement{f, s});
      if (fresh) continue;
      const std::string where = " of " + in.path + " (first defined in " + files_[it->second.file]->path + ")";
      switch (o_.merge) {
        case MergeMode::kMerge:
          p.dropped[s] = true;
          log_.Warning("structure " + Shown(name) + where + " dropped");
          break;
        case MergeMode::kAdd: {
          const std::string renamed = UniqueName(name, taken, 0);
          p.renamed[name] = renamed;
          log_.Line("Add: structure " + Shown(name) + where + " renamed " + Shown(renamed));
          break;
        }
        case MergeMode::kBlend:
          p.blended[s] = true;
          blends_[name].push_back({f, s});
          log_.Line("Blend: elements of " + Shown(name) + where + " appended to the first definition");
          break;
        case MergeMode::kNone:
          break;
      }
    }
  }
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

Outcome Merger::Edit(std::size_t file, std::uint32_t s, gds::Element& e) const {
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
  const std::int64_t f = plans_[file].scale;
  if (f != 1) {
    const auto scale = [&](std::int32_t v, const char* what) {
      const std::int64_t scaled = std::int64_t{v} * f;
      if (scaled < INT32_MIN || scaled > INT32_MAX)
        throw EngineError(ElementPlace(files_[file]->names[s], e.offset) + " of " + files_[file]->path +
                          " cannot be rescaled: " + what + std::to_string(v) + " times " + std::to_string(f) +
                          " would be " + std::to_string(scaled) + ", outside the 32-bit range");
      return static_cast<std::int32_t>(scaled);
    };
    for (gds::Point& p : e.xy) p = {scale(p.x, "x = "), scale(p.y, "y = ")};
    if (e.width) e.width = scale(*e.width, "width ");
    if (e.bgnextn) e.bgnextn = scale(*e.bgnextn, "start extension ");
    if (e.endextn) e.endextn = scale(*e.endextn, "end extension ");
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
    if (const std::optional<std::uint64_t> end = StructureEnd(in, st.offset)) {
      CopyStructureVerbatim(in, st.offset, *end, new_name, out_);
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
        LogLeftOut(copied.left_out, src.names[from.structure], log_);
        totals_.elements += copied.elements;
      }
    };
  }
  const CopyResult copied = CopyStructure(in, st.offset, new_name, edit, &out_, append);
  LogLeftOut(copied.left_out, in.names[s], log_);
  totals_.elements += copied.elements;
  ++totals_.structures;
}

WriteTotals Merger::Run() {
  log_.Line(std::string("Mode: ") + ModeName(o_.merge) + ", " + std::to_string(files_.size() - 1) +
            " listed files; layer, datatype, name and shape options do not apply");
  const std::size_t finest = ChooseUnits();
  ChooseStructures();
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
  gds::WriteLibraryHeader(out_.records(), header);
  for (std::size_t f = 0; f < files_.size(); ++f) {
    const FilePlan& p = plans_[f];
    std::uint64_t written = 0;
    for (std::uint32_t s : files_[f]->summary.listed) {
      if (!p.selected[s] || p.dropped[s] || p.blended[s]) continue;
      WriteStructure(f, s);
      ++written;
      CheckStop();
    }
    log_.Line("From " + files_[f]->path + ": " + std::to_string(written) + " structures");
  }
  if (!combine.empty() || (o_.combine && o_.merge != MergeMode::kBlend)) {
    gds::StructureHeader top;
    top.dates = {header.dates[0], header.dates[1], header.dates[2], header.dates[3], header.dates[4], header.dates[5],
                 header.dates[0], header.dates[1], header.dates[2], header.dates[3], header.dates[4], header.dates[5]};
    top.name = o_.combine_name;
    gds::WriteStructureBegin(out_.records(), top);
    gds::Element ref;
    for (const std::string& child : combine) {
      ref.Clear();
      ref.kind = gds::ElementKind::kSRef;
      ref.has_sname = true;
      ref.sname = child;
      ref.xy = {{0, 0}};
      gds::WriteElement(out_.records(), ref);
    }
    gds::WriteStructureEnd(out_.records(), top);
    log_.Line("Combine: new structure " + Shown(o_.combine_name) + " references " + std::to_string(combine.size()) +
              " structures");
    ++totals_.structures;
    totals_.elements += combine.size();
  }
  gds::WriteLibraryEnd(out_.records());
  out_.Check();
  return totals_;
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

WriteTotals RunMerge(const EngineOptions& options, std::vector<InputLayout*> files, OutputStream& out,
                     EngineLog& log) {
  return Merger(options, std::move(files), out, log).Run();
}

}  // namespace korvex::engine
