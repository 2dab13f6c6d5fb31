#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "../../gds/test_bytes.h"
#include "gds/hierarchy.h"
#include "gds/layout_summary.h"
#include "gds/stream_writer.h"
#include "quarn/report.h"

namespace korvex::quarn {
namespace {

using gds::Element;
using gds::ElementKind;

// A library written structure by structure: Structure("A").Rect().Ref("B") ...
class Lib {
 public:
  Lib() : w_(sink_) {
    gds::LibraryHeader h;
    h.name = "LIB";
    gds::WriteLibraryHeader(w_, h);
  }
  Lib& Structure(const std::string& name) {
    Close();
    header_.name = name;
    gds::WriteStructureBegin(w_, header_);
    open_ = true;
    return *this;
  }
  Lib& Rect(std::uint16_t layer, std::int32_t x1, std::int32_t y1) {
    Element e;
    e.layer = layer;
    e.datatype = 0;
    e.xy = {{0, 0}, {0, y1}, {x1, y1}, {x1, 0}, {0, 0}};
    gds::WriteElement(w_, e);
    return *this;
  }
  Lib& Ref(const std::string& name, gds::Point at = {0, 0}, double mag = 1, double angle = 0) {
    Element e;
    e.kind = ElementKind::kSRef;
    e.has_sname = true;
    e.sname = name;
    if (mag != 1 || angle != 0) {
      e.strans = 0;
      e.mag = gds::Real8::FromDouble(mag);
      e.angle = gds::Real8::FromDouble(angle);
    }
    e.xy = {at};
    return Add(e);
  }
  Lib& Add(const Element& e) {
    gds::WriteElement(w_, e);
    return *this;
  }
  std::vector<std::uint8_t> Bytes() {
    Close();
    gds::WriteLibraryEnd(w_);
    return sink_.bytes;
  }

 private:
  void Close() {
    if (open_) gds::WriteStructureEnd(w_, header_);
    open_ = false;
  }
  gds::MemorySink sink_;
  gds::RecordWriter w_;
  gds::StructureHeader header_;
  bool open_ = false;
};

std::vector<std::string> ReportLines(const std::vector<std::uint8_t>& bytes, std::uint64_t max_lines = 1000000,
                                     std::uint32_t max_depth = 200) {
  gds::Diagnostics diagnostics;
  gds::LayoutSummary summary;
  EXPECT_TRUE(gds::Summarize(bytes.data(), bytes.size(), diagnostics, summary));
  const gds::Hierarchy hierarchy = gds::ResolveHierarchy(summary, bytes.data(), bytes.size());
  std::FILE* f = std::tmpfile();
  {
    ReportSink sink(f);
    ReportOptions options;
    options.input_path = "in.gds";
    options.max_lines = max_lines;
    options.max_depth = max_depth;
    WriteReport(summary, hierarchy, diagnostics, options, sink);
    EXPECT_TRUE(sink.Flush());
  }
  std::rewind(f);
  std::string text;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  std::fclose(f);
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  EXPECT_EQ(text.back(), '\n');
  return lines;
}

std::string Numbered(char prefix, int i) {
  std::string name(1, prefix);
  name += std::to_string(i);
  return name;
}

// The lines after `marker` up to the first empty line (or the end).
std::vector<std::string> Section(const std::vector<std::string>& lines, const std::string& marker, int skip = 0) {
  std::vector<std::string> out;
  auto it = std::find(lines.begin(), lines.end(), marker);
  if (it == lines.end()) return {"<no " + marker + ">"};
  for (++it, it += skip; it != lines.end() && !it->empty(); ++it) out.push_back(*it);
  return out;
}

std::vector<std::string> Drawing(const std::vector<std::string>& lines) {
  auto it = std::find(lines.begin(), lines.end(), "HIERARCHY of INDEPENDENT STRUCTURES");
  if (it == lines.end() || it + 1 == lines.end()) return {};
  return {it + 2, lines.end()};
}

TEST(EncodeName, EscapesWhatWouldBreakTheReportLines) {
  EXPECT_EQ(EncodeName("INV_X1$?"), "INV_X1$?");
  EXPECT_EQ(EncodeName("a b(1)|%"), "a%20b%281%29%7C%25");
  EXPECT_EQ(EncodeName("caf\xE9\t\n"), "caf%E9%09%0A");
  EXPECT_EQ(EncodeName(std::string("x\0y", 3)), "x%00y");
}

TEST(FormatUserUnits, WritesAsManyDecimalsAsNeededToBeExact) {
  EXPECT_EQ(FormatUserUnits(12005, 1000), "12.005");
  EXPECT_EQ(FormatUserUnits(-1500, 1000), "-1.5");
  EXPECT_EQ(FormatUserUnits(2000, 1000), "2");
  EXPECT_EQ(FormatUserUnits(0, 1000), "0");
  EXPECT_EQ(FormatUserUnits(-5, 1000), "-0.005");
  EXPECT_EQ(FormatUserUnits(3001, 2000), "1.5005");
  EXPECT_EQ(FormatUserUnits(1, 1000000), "0.000001");
  EXPECT_EQ(FormatUserUnits(7, 1), "7");
  EXPECT_EQ(FormatUserUnits(1, 3), "0.333333333333");
  // A fraction that rounds up to a whole unit carries into it instead of vanishing.
  constexpr std::int64_t kOdd = 3000000000001;
  EXPECT_EQ(FormatUserUnits(3 * kOdd - 1, kOdd), "3");
  EXPECT_EQ(FormatUserUnits(1 - 3 * kOdd, kOdd), "-3");
  EXPECT_EQ(FormatUserUnits(2 * kOdd + 1, kOdd), "2");
  EXPECT_EQ(FormatUserUnits(-2147483648LL, 1000), "-2147483.648");
}

TEST(UserUnitsText, NamesTheCommonUnitsAndWritesOthersInMetres) {
  EXPECT_EQ(UserUnitsText(1e-6), "UM");
  EXPECT_EQ(UserUnitsText(1e-6 * (1 + 1e-12)), "UM");
  EXPECT_EQ(UserUnitsText(1e-9), "NM");
  EXPECT_EQ(UserUnitsText(1e-3), "MM");
  EXPECT_EQ(UserUnitsText(1.0), "M");
  EXPECT_EQ(UserUnitsText(1e-7), "1e-07");
}

TEST(Report, HasEverySectionInOrderWithTheHierarchyLast) {
  const auto lines = ReportLines(Lib().Structure("TOP").Rect(1, 1000, 1000).Ref("A").Structure("A").Rect(2, 500, 2500).Bytes());
  EXPECT_EQ(Section(lines, "STRUCTURE_LIST"), (std::vector<std::string>{"1) TOP", "2) A"}));
  EXPECT_EQ(Section(lines, "LAYERS_CONTAINING_DATA", 1), (std::vector<std::string>{"1,2"}));
  EXPECT_EQ(Section(lines, "DATATYPES_USED", 1), (std::vector<std::string>{"0"}));
  EXPECT_EQ(Section(lines, "STRUCTURE_ELEMENT_COUNTS", 1),
            (std::vector<std::string>{"TOP (1, 0, 0, 1, 0)", "A (1, 0, 0, 0, 0)"}));
  EXPECT_EQ(Section(lines, "STRUCTURE EXTENTS"),
            (std::vector<std::string>{"Resolution: 1000", "User Units: UM", "Structure (MinX, MinY, MaxX, MaxY)",
                                      "TOP (0, 0, 1, 2.5)", "A (0, 0, 0.5, 2.5)"}));
  EXPECT_EQ(Drawing(lines), (std::vector<std::string>{"TOP", "  |", "  |__ A"}));
  std::size_t markers = 0;
  for (const std::string& l : lines) {
    if (l == "STRUCTURE_LIST" || l == "LAYERS_CONTAINING_DATA" || l == "DATATYPES_USED" ||
        l.starts_with("STRUCTURE_ELEMENT_COUNTS") || l.starts_with("STRUCTURE EXTENTS") ||
        l.starts_with("HIERARCHY of INDEPENDENT STRUCTURES"))
      ++markers;
  }
  EXPECT_EQ(markers, 6u);  // nothing in the header looks like a marker
}

TEST(Report, DrawsTheHierarchyAsTheFrontEndExpects) {
  const auto lines = ReportLines(
      Lib().Structure("A").Ref("B").Ref("D").Ref("B").Structure("B").Ref("C").Structure("C").Rect(1, 1, 1).Bytes());
  EXPECT_EQ(Drawing(lines), (std::vector<std::string>{"A", "  |", "  |__ B", "  |    |", "  |    |__ C", "  |",
                                                      "  |__ D (UNDEFINED)"}));
}

TEST(Report, CutsACycleAndStillDrawsStructuresReachableOnlyThroughIt) {
  const auto lines = ReportLines(
      Lib().Structure("TOP").Ref("MISSING").Ref("LOOP").Structure("LOOP").Rect(1, 1000, 1000).Ref("TOP").Bytes());
  EXPECT_EQ(Drawing(lines), (std::vector<std::string>{"TOP", "  |", "  |__ MISSING (UNDEFINED)", "  |", "  |__ LOOP",
                                                      "  |    |", "  |    |__ TOP (RECURSIVE)"}));
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Reference cycle: TOP -> LOOP -> TOP"), lines.end());
  EXPECT_EQ(Section(lines, "STRUCTURE EXTENTS", 3), (std::vector<std::string>{"TOP (0, 0, 1, 1)", "LOOP (0, 0, 1, 1)"}));
}

TEST(Report, ShortensRepeatedSubtreesBeyondTheLineLimit) {
  Lib lib;
  lib.Structure("TOP").Ref("X").Ref("Y");
  lib.Structure("X").Ref("LEAF_PARENT");
  lib.Structure("Y").Ref("LEAF_PARENT");
  lib.Structure("LEAF_PARENT").Ref("LEAF");
  lib.Structure("LEAF").Rect(1, 1, 1);
  const auto bytes = lib.Bytes();
  const std::vector<std::string> full = {"TOP", "  |", "  |__ X", "  |    |", "  |    |__ LEAF_PARENT",
                                         "  |    |    |", "  |    |    |__ LEAF", "  |", "  |__ Y", "  |    |",
                                         "  |    |__ LEAF_PARENT", "  |    |    |", "  |    |    |__ LEAF"};
  EXPECT_EQ(Drawing(ReportLines(bytes)), full);
  const auto lines = ReportLines(bytes, 10);
  EXPECT_EQ(Drawing(lines), std::vector<std::string>(full.begin(), full.end() - 2));
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
    return l.starts_with("Hierarchy drawing shortened");
  }));
}

TEST(Report, CutsTheDrawingOfAVeryDeepChain) {
  Lib lib;
  for (int i = 0; i < 6; ++i) lib.Structure(Numbered('S', i)).Ref(Numbered('S', i + 1));
  lib.Structure("S6").Rect(1, 1, 1);
  const auto lines = ReportLines(lib.Bytes(), 1000000, 3);
  EXPECT_EQ(Drawing(lines), (std::vector<std::string>{"S0", "  |", "  |__ S1", "  |    |", "  |    |__ S2", "  |    |    |",
                                                      "  |    |    |__ S3"}));
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "Hierarchy drawing cut: references more than 3 levels down are left out"),
            lines.end());
}

TEST(Report, HandlesAStructureWithManyDistinctChildrenQuickly) {
  Lib lib;
  lib.Structure("TOP");
  for (int i = 0; i < 60000; ++i) lib.Ref(Numbered('C', i));  // all undefined
  const auto lines = ReportLines(lib.Bytes());
  EXPECT_EQ(Drawing(lines).size(), 1u + 2 * 60000);
  EXPECT_EQ(Drawing(lines).back(), "  |__ C59999 (UNDEFINED)");
}

TEST(Report, EncodesOddNamesEverywhere) {
  const auto lines = ReportLines(Lib().Structure("a (b)").Ref("c|d e").Structure("c|d e").Rect(1, 1, 1).Bytes());
  EXPECT_EQ(Section(lines, "STRUCTURE_LIST"), (std::vector<std::string>{"1) a%20%28b%29", "2) c%7Cd%20e"}));
  EXPECT_EQ(Section(lines, "STRUCTURE_ELEMENT_COUNTS", 1)[0], "a%20%28b%29 (0, 0, 0, 1, 0)");
  EXPECT_EQ(Drawing(lines), (std::vector<std::string>{"a%20%28b%29", "  |", "  |__ c%7Cd%20e"}));
}

TEST(Report, WrapsLongLayerListsAtSeventyCharacters) {
  Lib lib;
  lib.Structure("TOP");
  for (std::uint16_t layer = 1000; layer < 1100; ++layer) lib.Rect(layer, 1, 1);
  const auto layers = Section(ReportLines(lib.Bytes()), "LAYERS_CONTAINING_DATA", 1);
  EXPECT_GT(layers.size(), 5u);
  std::string joined;
  for (const std::string& l : layers) {
    EXPECT_LE(l.size(), 70u);
    joined += (joined.empty() ? "" : ",") + l;
  }
  EXPECT_EQ(joined.substr(0, 15), "1000,1001,1002,");
  EXPECT_EQ(std::count(joined.begin(), joined.end(), ','), 99);
}

TEST(Report, WritesExtentsBeyondThe32BitRangeExactly) {
  Element edge;  // 20000 wide with half-width ends, ending 100 units short of the limit
  edge.kind = ElementKind::kPath;
  edge.layer = 1;
  edge.datatype = 0;
  edge.pathtype = 2;
  edge.width = 20000;
  edge.xy = {{2147000000, 0}, {2147483547, 0}};
  Lib lib;
  lib.Structure("EDGE").Add(edge);
  lib.Structure("BIG").Rect(1, 2000000000, 2000000000);
  lib.Structure("FAR").Ref("BIG", {0, 0}, 2).Ref("BIG", {-1000, 0}, 2, 180);
  lib.Structure("ODD").Ref("BIG", {0, 0}, 1.5, 45);
  const auto lines = ReportLines(lib.Bytes());
  EXPECT_EQ(Section(lines, "STRUCTURE EXTENTS", 3),
            (std::vector<std::string>{"EDGE (2146990, -10, 2147493.547, 10)", "BIG (0, 0, 2000000, 2000000)",
                                      "FAR (-4000001, -4000000, 4000000, 4000000)",
                                      "ODD (-2121320.344, 0, 2121320.344, 4242640.687)"}));
}

TEST(Report, RoundsExtentsOffTheGridToTheNearestUnit) {
  // A 0.7 magnification puts the corners at -2.1 and 70.7: they are written at -2 and 71,
  // where the flattened geometry lands (and where KLayout puts them), not widened to -3.
  const auto lines = ReportLines(Lib().Structure("A").Rect(1, 101, 3).Structure("B").Ref("A", {0, 0}, 0.7, 90).Bytes());
  EXPECT_EQ(Section(lines, "STRUCTURE EXTENTS", 3), (std::vector<std::string>{"A (0, 0, 0.101, 0.003)", "B (-0.002, 0, 0, 0.071)"}));
}

}  // namespace
}  // namespace korvex::quarn
