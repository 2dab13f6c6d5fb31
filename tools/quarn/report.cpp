#include "quarn/report.h"

#include <algorithm>
#include <cmath>

namespace korvex::quarn {
namespace {

using gds::Box;
using gds::EncodeText;
using gds::Hierarchy;
using gds::LayoutSummary;

std::string NumberList(const gds::NumberSet& set, std::vector<std::string>& lines) {
  std::string line;
  const std::vector<std::uint16_t> values = set.Values();
  for (std::uint16_t v : values) {
    const std::string n = std::to_string(v);
    if (!line.empty() && line.size() + 1 + n.size() > 70) {
      lines.push_back(line);
      line.clear();
    }
    if (!line.empty()) line += ',';
    line += n;
  }
  if (!line.empty()) lines.push_back(line);
  return std::to_string(values.size());
}

// The nearest database unit, halves away from zero: where the flattened geometry lands when
// it is written out. Beyond 32 bits the value stays exact; only a magnification run wild
// (beyond 64 bits) is held at a limit.
std::int64_t GridValue(double v) {
  if (std::isnan(v)) return 0;
  constexpr double kLimit = 9e18;
  return static_cast<std::int64_t>(std::round(std::clamp(v, -kLimit, kLimit)));
}

void GridBox(const Box& b, std::int64_t v[4]) {
  if (b.empty()) {
    v[0] = v[1] = v[2] = v[3] = 0;
    return;
  }
  v[0] = GridValue(b.min_x);
  v[1] = GridValue(b.min_y);
  v[2] = GridValue(b.max_x);
  v[3] = GridValue(b.max_y);
}

struct Drawing {
  std::vector<std::uint32_t> roots;
  std::vector<std::uint32_t> cycle_roots;  // drawn as roots although referenced (cycles only)
  bool shortened = false;
  std::uint32_t max_depth = 200;
  bool depth_cut = false;  // set while drawing
};

// Lines of the full drawing of each structure, saturating; back edges count as one line pair.
std::uint64_t FullLines(const LayoutSummary& s, const std::vector<std::vector<std::uint32_t>>& children,
                        const Drawing& d) {
  const std::size_t n = s.structures.size();
  constexpr std::uint64_t kCap = std::uint64_t(1) << 62;
  std::vector<std::uint64_t> lines(n, 0);
  std::vector<std::uint8_t> state(n, 0);
  struct Frame {
    std::uint32_t node;
    std::size_t next;
  };
  std::vector<Frame> stack;
  auto visit = [&](std::uint32_t root) {
    if (state[root] == 2) return;
    state[root] = 1;
    stack.push_back({root, 0});
    while (!stack.empty()) {
      Frame& f = stack.back();
      if (f.next == children[f.node].size()) {
        std::uint64_t total = 1;
        for (std::uint32_t c : children[f.node]) {
          const std::uint64_t add = (state[c] == 2 ? lines[c] : 1) + 1;
          total = std::min(kCap, total + add);
        }
        lines[f.node] = total;
        state[f.node] = 2;
        stack.pop_back();
        continue;
      }
      const std::uint32_t c = children[f.node][f.next++];
      if (state[c] == 0 && s.structures[c].defined) {
        state[c] = 1;
        stack.push_back({c, 0});
      }
    }
  };
  std::uint64_t total = 0;
  for (std::uint32_t r : d.roots) {
    visit(r);
    total = std::min(kCap, total + lines[r]);
  }
  return total;
}

void DrawHierarchy(const LayoutSummary& s, const std::vector<std::vector<std::uint32_t>>& children,
                   Drawing& d, ReportSink& out) {
  const std::size_t n = s.structures.size();
  std::vector<bool> on_path(n, false), drawn_full(n, false);
  std::vector<std::string> names(n);
  auto name = [&](std::uint32_t i) -> const std::string& {
    if (names[i].empty()) names[i] = EncodeName(s.structures[i].name);
    return names[i];
  };
  struct Frame {
    std::uint32_t node;
    std::size_t next;
  };
  std::vector<Frame> stack;
  std::string prefix;  // "  |  " per level above the current children
  std::string line;
  for (std::uint32_t root : d.roots) {
    out.Line(name(root));
    on_path[root] = true;
    stack.push_back({root, 0});
    prefix.clear();
    while (!stack.empty()) {
      Frame& f = stack.back();
      if (f.next == children[f.node].size()) {
        on_path[f.node] = false;
        drawn_full[f.node] = true;
        stack.pop_back();
        if (!stack.empty()) prefix.resize(prefix.size() - 5);
        continue;
      }
      const std::uint32_t c = children[f.node][f.next++];
      line.assign(prefix).append("  |");
      out.Line(line);
      line.assign(prefix).append("  |__ ").append(name(c));
      if (!s.structures[c].defined) {
        out.Line(line.append(" (UNDEFINED)"));
      } else if (on_path[c]) {
        out.Line(line.append(" (RECURSIVE)"));
      } else if (children[c].empty() || (d.shortened && drawn_full[c])) {
        out.Line(line);
        drawn_full[c] = true;
      } else if (stack.size() >= d.max_depth) {
        out.Line(line);
        d.depth_cut = true;
      } else {
        out.Line(line);
        on_path[c] = true;
        stack.push_back({c, 0});
        prefix.append("  |  ");
      }
    }
  }
}

}  // namespace

std::string FormatUserUnits(std::int64_t value, std::int64_t resolution) {
  if (resolution <= 0) resolution = 1;
  std::string out;
  std::uint64_t v = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  const auto res = static_cast<std::uint64_t>(resolution);
  if (value < 0) out += '-';
  out += std::to_string(v / res);
  const std::uint64_t rest = v % res;
  if (rest == 0) return out;
  // A resolution of the form 2^a 5^b gives a finite decimal fraction of max(a, b) digits.
  std::uint64_t m = res;
  int twos = 0, fives = 0;
  while (m % 2 == 0) { m /= 2; ++twos; }
  while (m % 5 == 0) { m /= 5; ++fives; }
  std::string digits;
  if (m == 1 && std::max(twos, fives) <= 18) {
    const int d = std::max(twos, fives);
    std::uint64_t p = 1;
    for (int i = 0; i < d; ++i) p *= 10;
    const unsigned __int128 frac = static_cast<unsigned __int128>(rest) * (p / res);
    digits = std::to_string(static_cast<std::uint64_t>(frac));
    digits.insert(0, static_cast<std::size_t>(d) - digits.size(), '0');
  } else {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.12f", double(rest) / double(res));
    digits = buf + 2;  // after "0."
  }
  while (!digits.empty() && digits.back() == '0') digits.pop_back();
  if (!digits.empty()) out += '.' + digits;
  return out;
}

std::string UserUnitsText(double m) {
  struct Unit {
    double metres;
    const char* name;
  };
  for (const Unit u : {Unit{1e-6, "UM"}, Unit{1e-9, "NM"}, Unit{1e-3, "MM"}, Unit{1.0, "M"}}) {
    if (std::fabs(m - u.metres) <= 1e-9 * u.metres) return u.name;
  }
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.12g", m);
  return buf;
}

bool ReportSink::Flush() {
  if (!buffer_.empty() && ok_) {
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) ok_ = false;
  }
  buffer_.clear();
  return ok_;
}

void WriteReport(const LayoutSummary& s, const Hierarchy& h, const gds::Diagnostics& diagnostics,
                 const ReportOptions& options, ReportSink& out) {
  const std::size_t n = s.structures.size();
  const std::vector<std::vector<std::uint32_t>> children = gds::AllDistinctChildren(s);

  // Roots: the structures nobody references, then any structure reachable only through a
  // reference cycle (otherwise it would vanish from the drawing).
  Drawing drawing;
  std::vector<bool> reached(n, false);
  auto reach = [&](std::uint32_t root) {
    std::vector<std::uint32_t> todo{root};
    reached[root] = true;
    while (!todo.empty()) {
      const std::uint32_t x = todo.back();
      todo.pop_back();
      for (std::uint32_t c : children[x]) {
        if (!reached[c]) {
          reached[c] = true;
          todo.push_back(c);
        }
      }
    }
  };
  for (std::uint32_t i : s.listed) {
    if (!h.referenced[i]) {
      drawing.roots.push_back(i);
      reach(i);
    }
  }
  for (std::uint32_t i : s.listed) {
    if (!reached[i]) {
      drawing.roots.push_back(i);
      drawing.cycle_roots.push_back(i);
      reach(i);
    }
  }
  const std::uint64_t full = FullLines(s, children, drawing);
  drawing.shortened = full > options.max_lines;
  drawing.max_depth = std::max<std::uint32_t>(options.max_depth, 1);
  const bool too_deep = std::any_of(drawing.roots.begin(), drawing.roots.end(),
                                    [&](std::uint32_t r) { return h.depth[r] > drawing.max_depth; });

  const std::int64_t resolution = s.header.DbuPerUserUnit() > 0 ? s.header.DbuPerUserUnit() : 1000;

  // 1. Header.
  out.Line("quarn.exe GDSII scan report");
  out.Line("Input file: " + EncodeText(options.input_path));
  if (options.compressed_size > 0)
    out.Line("File size: " + std::to_string(options.file_size) + " bytes (gzip-compressed: " +
             std::to_string(options.compressed_size) + " bytes)");
  else
    out.Line("File size: " + std::to_string(options.file_size) + " bytes");
  out.Line("GDSII version: " + std::to_string(s.header.version));
  out.Line("Library name: " + EncodeName(s.header.name));
  {
    const auto& d = s.header.dates;
    char buf[64];
    std::snprintf(buf, sizeof buf, "Last modified: %04d-%02d-%02d %02d:%02d:%02d", d[0], d[1], d[2], d[3], d[4], d[5]);
    out.Line(buf);
  }
  {
    char buf[64];
    std::snprintf(buf, sizeof buf, "Database unit: %.12g m", s.header.metre_unit.value());
    out.Line(buf);
  }
  out.Line("Structures: " + std::to_string(s.listed.size()));
  out.Line("Independent structures: " + std::to_string(drawing.roots.size() - drawing.cycle_roots.size()));
  if (s.skipped_context_info) out.Line("Skipped: the editor metadata structure " + std::string(gds::kContextInfoName));
  if (!h.undefined.empty()) {
    std::string line = "Undefined structures referenced: " + std::to_string(h.undefined.size());
    for (std::size_t i = 0; i < h.undefined.size() && i < 20; ++i) line += (i ? ", " : ": ") + EncodeName(s.structures[h.undefined[i]].name);
    out.Line(line);
  }
  if (h.cycle_count > 0) {
    out.Line("Reference cycles: " + std::to_string(h.cycle_count) + " (cut where they close, drawn (RECURSIVE))");
    for (const auto& cycle : h.cycles) {
      std::string line = "Reference cycle:";
      for (std::uint32_t c : cycle) line += ' ' + EncodeName(s.structures[c].name) + " ->";
      line += ' ' + EncodeName(s.structures[cycle.front()].name);
      out.Line(line);
    }
  }
  if (!drawing.cycle_roots.empty()) {
    out.Line("Drawn as roots although referenced (reachable only through a cycle): " +
             std::to_string(drawing.cycle_roots.size()));
  }
  if (drawing.shortened) {
    out.Line("Hierarchy drawing shortened: the full drawing would take " + std::to_string(full) +
             " lines (limit " + std::to_string(options.max_lines) +
             "); later repeats of a subtree already drawn show only their own line");
  }
  if (too_deep) {
    out.Line("Hierarchy drawing cut: references more than " + std::to_string(drawing.max_depth) +
             " levels down are left out");
  }
  for (const gds::Issue& issue : diagnostics.issues()) {
    out.Line((issue.fatal ? "Error: " : "Warning: ") + EncodeText(issue.Text()) +
             (issue.fatal ? "; the scan stopped there and reports what was read before" : ""));
  }
  if (diagnostics.warning_count() > 0) out.Line("Warnings: " + std::to_string(diagnostics.warning_count()));
  out.Line("");

  // 2. Structure list.
  out.Line("STRUCTURE_LIST");
  std::vector<std::string> names;
  names.reserve(s.listed.size());
  for (std::size_t i = 0; i < s.listed.size(); ++i) {
    names.push_back(EncodeName(s.structures[s.listed[i]].name));
    out.Line(std::to_string(i + 1) + ") " + names.back());
  }
  out.Line("");

  // 3, 4. Layers and datatypes.
  std::vector<std::string> lines;
  const std::string layer_count = NumberList(s.layers, lines);
  out.Line("LAYERS_CONTAINING_DATA");
  out.Line("Layers with data: " + layer_count);
  for (const std::string& l : lines) out.Line(l);
  out.Line("");
  lines.clear();
  const std::string datatype_count = NumberList(s.datatypes, lines);
  out.Line("DATATYPES_USED");
  out.Line("Datatypes in use (DATATYPE, TEXTTYPE, BOXTYPE, NODETYPE): " + datatype_count);
  for (const std::string& l : lines) out.Line(l);
  out.Line("");

  // 5. Element counts, in list order.
  out.Line("STRUCTURE_ELEMENT_COUNTS");
  out.Line("Structure (Boundary, Path, ARef, SRef, Text)");
  std::string row;
  for (std::size_t i = 0; i < s.listed.size(); ++i) {
    const auto& c = s.structures[s.listed[i]].counts;
    row.assign(names[i]).append(" (");
    for (int k : {0, 1, 3, 2, 4}) row.append(std::to_string(c[k])).append(k == 4 ? ")" : ", ");
    out.Line(row);
  }
  out.Line("");

  // 6. Extents in user units.
  out.Line("STRUCTURE EXTENTS");
  out.Line("Resolution: " + std::to_string(resolution));
  out.Line("User Units: " + UserUnitsText(s.header.MetresPerUserUnit() > 0 ? s.header.MetresPerUserUnit() : 1e-6));
  out.Line("Structure (MinX, MinY, MaxX, MaxY)");
  for (std::size_t i = 0; i < s.listed.size(); ++i) {
    std::int64_t v[4];
    GridBox(h.extents[s.listed[i]], v);
    row.assign(names[i]).append(" (");
    for (int k = 0; k < 4; ++k) row.append(FormatUserUnits(v[k], resolution)).append(k == 3 ? ")" : ", ");
    out.Line(row);
  }
  out.Line("");

  // 7. The hierarchy, last.
  out.Line("HIERARCHY of INDEPENDENT STRUCTURES");
  out.Line("");
  DrawHierarchy(s, children, drawing, out);
}

}  // namespace korvex::quarn
