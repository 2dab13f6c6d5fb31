#include "quarn/report.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace korvex::quarn {
namespace {

using gds::Box;
using gds::EncodeText;
using gds::Hierarchy;
using gds::LayoutSummary;

template <typename Integer>
void AppendDecimal(std::string& out, Integer v) {
  char buf[24];
  out.append(buf, static_cast<std::size_t>(std::to_chars(buf, buf + sizeof buf, v).ptr - buf));
}

// `value` database units in user units with as many decimals as needed to be exact.
void AppendUserUnits(std::string& out, std::int64_t value, const UnitDecimals& units) {
  const std::uint64_t v = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  std::uint64_t whole = v / units.resolution;
  const std::uint64_t rest = v % units.resolution;
  char digits[32];
  std::size_t length = 0;
  if (rest != 0 && units.scale != 0) {
    length = units.digits;
    auto frac = static_cast<std::uint64_t>(static_cast<unsigned __int128>(rest) * units.scale);
    for (std::size_t i = length; i-- > 0; frac /= 10) digits[i] = static_cast<char>('0' + frac % 10);
  } else if (rest != 0) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.12f", double(rest) / double(units.resolution));
    if (buf[0] == '1') {
      ++whole;  // within half of the last decimal below the next whole unit: rounded up to it
    } else {
      length = std::strlen(buf + 2);  // after "0."
      std::memcpy(digits, buf + 2, length);
    }
  }
  while (length > 0 && digits[length - 1] == '0') --length;
  if (value < 0) out += '-';
  AppendDecimal(out, whole);
  if (length == 0) return;
  out += '.';
  out.append(digits, length);
}

// Every structure's name in the %XX form, encoded once into one buffer.
class EncodedNames {
 public:
  explicit EncodedNames(const LayoutSummary& s) {
    ends_.reserve(s.structures.size());
    for (const gds::StructureSummary& st : s.structures) {
      gds::AppendEncodedName(text_, st.name);
      ends_.push_back(text_.size());
    }
  }
  std::string_view operator[](std::uint32_t i) const {
    const std::size_t start = i == 0 ? 0 : ends_[i - 1];
    return {text_.data() + start, ends_[i] - start};
  }

 private:
  std::string text_;
  std::vector<std::size_t> ends_;
};

// The numbers comma-separated, in lines of at most 70 characters (a longer number alone).
void NumberLines(const std::vector<std::uint16_t>& values, ReportSink& out) {
  std::size_t line = 0;  // characters on the current line
  for (std::uint16_t v : values) {
    char buf[8];
    const auto n = static_cast<std::size_t>(std::to_chars(buf, buf + sizeof buf, v).ptr - buf);
    if (line != 0 && line + 1 + n > 70) {
      out.EndLine();
      line = 0;
    }
    if (line != 0) {
      out.Add(',');
      ++line;
    }
    out.Add(std::string_view(buf, n));
    line += n;
  }
  if (line != 0) out.EndLine();
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
std::uint64_t FullLines(const LayoutSummary& s, const gds::ChildLists& children,
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

void DrawHierarchy(const LayoutSummary& s, const gds::ChildLists& children,
                   const EncodedNames& names, Drawing& d, ReportSink& out) {
  const std::size_t n = s.structures.size();
  std::vector<bool> on_path(n, false), drawn_full(n, false);
  struct Frame {
    std::uint32_t node;
    std::size_t next;
  };
  std::vector<Frame> stack;
  std::string prefix;  // "  |  " per level above the current children
  for (std::uint32_t root : d.roots) {
    out.Line(names[root]);
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
      out.Add(prefix);
      out.Line("  |");
      out.Add(prefix);
      out.Add("  |__ ");
      out.Add(names[c]);
      if (!s.structures[c].defined) {
        out.Line(" (UNDEFINED)");
      } else if (on_path[c]) {
        out.Line(" (RECURSIVE)");
      } else if (children[c].empty() || (d.shortened && drawn_full[c])) {
        out.EndLine();
        drawn_full[c] = true;
      } else if (stack.size() >= d.max_depth) {
        out.EndLine();
        d.depth_cut = true;
      } else {
        out.EndLine();
        on_path[c] = true;
        stack.push_back({c, 0});
        prefix.append("  |  ");
      }
    }
  }
}

}  // namespace

UnitDecimals::UnitDecimals(std::int64_t dbu_per_user_unit)
    : resolution(dbu_per_user_unit > 0 ? static_cast<std::uint64_t>(dbu_per_user_unit) : 1) {
  // A resolution of the form 2^a 5^b gives a finite decimal fraction of max(a, b) digits.
  std::uint64_t m = resolution;
  int twos = 0, fives = 0;
  while (m % 2 == 0) { m /= 2; ++twos; }
  while (m % 5 == 0) { m /= 5; ++fives; }
  if (m != 1 || std::max(twos, fives) > 18) return;
  digits = static_cast<std::size_t>(std::max(twos, fives));
  std::uint64_t p = 1;
  for (std::size_t i = 0; i < digits; ++i) p *= 10;
  scale = p / resolution;
}

std::string FormatUserUnits(std::int64_t value, std::int64_t resolution) {
  std::string out;
  AppendUserUnits(out, value, UnitDecimals(resolution));
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

void ReportSink::Number(std::uint64_t value) { AppendDecimal(buffer_, value); }

void ReportSink::Signed(std::int64_t value) { AppendDecimal(buffer_, value); }

void ReportSink::UserUnits(std::int64_t value, const UnitDecimals& units) { AppendUserUnits(buffer_, value, units); }

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
  const gds::ChildLists children = gds::AllDistinctChildren(s);

  // Roots: the structures nobody references, then any structure reachable only through a
  // reference cycle (otherwise it would vanish from the drawing).
  Drawing drawing;
  std::vector<bool> reached(n, false);
  std::vector<std::uint32_t> todo;
  auto reach = [&](std::uint32_t root) {
    todo.assign(1, root);
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
  const EncodedNames names(s);

  // 1. Header.
  out.Line("quarn.exe GDSII scan report");
  out.Add("Input file: ");
  out.Text(options.input_path);
  out.EndLine();
  out.Add("File size: ");
  out.Number(options.file_size);
  if (options.compressed_size > 0) {
    out.Add(" bytes (gzip-compressed: ");
    out.Number(options.compressed_size);
    out.Line(" bytes)");
  } else {
    out.Line(" bytes");
  }
  out.Add("GDSII version: ");
  out.Signed(s.header.version);
  out.EndLine();
  out.Add("Library name: ");
  out.Name(s.header.name);
  out.EndLine();
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
  out.Add("Structures: ");
  out.Number(s.listed.size());
  out.EndLine();
  out.Add("Independent structures: ");
  out.Number(drawing.roots.size() - drawing.cycle_roots.size());
  out.EndLine();
  if (s.skipped_context_info) {
    out.Add("Skipped: the editor metadata structure ");
    out.Line(gds::kContextInfoName);
  }
  if (!h.undefined.empty()) {
    out.Add("Undefined structures referenced: ");
    out.Number(h.undefined.size());
    for (std::size_t i = 0; i < h.undefined.size() && i < 20; ++i) {
      out.Add(i ? ", " : ": ");
      out.Add(names[h.undefined[i]]);
    }
    out.EndLine();
  }
  if (h.cycle_count > 0) {
    out.Add("Reference cycles: ");
    out.Number(h.cycle_count);
    out.Line(" (cut where they close, drawn (RECURSIVE))");
    for (const auto& cycle : h.cycles) {
      out.Add("Reference cycle:");
      for (std::uint32_t c : cycle) {
        out.Add(' ');
        out.Add(names[c]);
        out.Add(" ->");
      }
      out.Add(' ');
      out.Add(names[cycle.front()]);
      out.EndLine();
    }
  }
  if (!drawing.cycle_roots.empty()) {
    out.Add("Drawn as roots although referenced (reachable only through a cycle): ");
    out.Number(drawing.cycle_roots.size());
    out.EndLine();
  }
  if (drawing.shortened) {
    out.Add("Hierarchy drawing shortened: the full drawing would take ");
    out.Number(full);
    out.Add(" lines (limit ");
    out.Number(options.max_lines);
    out.Line("); later repeats of a subtree already drawn show only their own line");
  }
  if (too_deep) {
    out.Add("Hierarchy drawing cut: references more than ");
    out.Number(drawing.max_depth);
    out.Line(" levels down are left out");
  }
  for (const gds::Issue& issue : diagnostics.issues()) {
    out.Add(issue.fatal ? "Error: " : "Warning: ");
    out.Text(issue.Text());
    if (issue.fatal) out.Add("; the scan stopped there and reports what was read before");
    out.EndLine();
  }
  if (diagnostics.warning_count() > 0) {
    out.Add("Warnings: ");
    out.Number(diagnostics.warning_count());
    out.EndLine();
  }
  out.EndLine();

  // 2. Structure list.
  out.Line("STRUCTURE_LIST");
  for (std::size_t i = 0; i < s.listed.size(); ++i) {
    out.Number(i + 1);
    out.Add(") ");
    out.Line(names[s.listed[i]]);
  }
  out.EndLine();

  // 3, 4. Layers and datatypes.
  const std::vector<std::uint16_t> layers = s.layers.Values();
  out.Line("LAYERS_CONTAINING_DATA");
  out.Add("Layers with data: ");
  out.Number(layers.size());
  out.EndLine();
  NumberLines(layers, out);
  out.EndLine();
  const std::vector<std::uint16_t> datatypes = s.datatypes.Values();
  out.Line("DATATYPES_USED");
  out.Add("Datatypes in use (DATATYPE, TEXTTYPE, BOXTYPE, NODETYPE): ");
  out.Number(datatypes.size());
  out.EndLine();
  NumberLines(datatypes, out);
  out.EndLine();

  // 5. Element counts, in list order.
  out.Line("STRUCTURE_ELEMENT_COUNTS");
  out.Line("Structure (Boundary, Path, ARef, SRef, Text)");
  for (std::uint32_t i : s.listed) {
    const auto& c = s.structures[i].counts;
    out.Add(names[i]);
    out.Add(" (");
    for (int k : {0, 1, 3, 2, 4}) {
      out.Number(c[k]);
      out.Add(k == 4 ? ")" : ", ");
    }
    out.EndLine();
  }
  out.EndLine();

  // 6. Extents in user units.
  out.Line("STRUCTURE EXTENTS");
  out.Add("Resolution: ");
  out.Signed(resolution);
  out.EndLine();
  out.Add("User Units: ");
  out.Line(UserUnitsText(s.header.MetresPerUserUnit() > 0 ? s.header.MetresPerUserUnit() : 1e-6));
  out.Line("Structure (MinX, MinY, MaxX, MaxY)");
  const UnitDecimals units(resolution);
  for (std::uint32_t i : s.listed) {
    std::int64_t v[4];
    GridBox(h.extents[i], v);
    out.Add(names[i]);
    out.Add(" (");
    for (int k = 0; k < 4; ++k) {
      out.UserUnits(v[k], units);
      out.Add(k == 3 ? ")" : ", ");
    }
    out.EndLine();
  }
  out.EndLine();

  // 7. The hierarchy, last.
  out.Line("HIERARCHY of INDEPENDENT STRUCTURES");
  out.EndLine();
  DrawHierarchy(s, children, names, drawing, out);
}

}  // namespace korvex::quarn
