#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "gds/hierarchy.h"
#include "gds/layout_summary.h"
#include "gds/stream_reader.h"
#include "gds/stream_writer.h"
#include "generated_layout.h"
#include "library_builder.h"
#include "test_bytes.h"

namespace korvex::gds {
namespace {

using testing::LibraryBuilder;
using testing::MinimalLibrary;

struct Result {
  Diagnostics diagnostics;
  LayoutSummary summary;
  Hierarchy hierarchy;
  bool ok = false;

  const StructureSummary& Named(const std::string& name) const {
    for (const auto& s : summary.structures)
      if (s.name == name) return s;
    throw std::runtime_error("no " + name);
  }
  Box Extents(const std::string& name) const {
    for (std::size_t i = 0; i < summary.structures.size(); ++i)
      if (summary.structures[i].name == name) return hierarchy.extents[i];
    throw std::runtime_error("no " + name);
  }
};

Result Scan(const std::vector<std::uint8_t>& bytes) {
  Result r;
  r.ok = Summarize(bytes.data(), bytes.size(), r.diagnostics, r.summary);
  if (r.ok) r.hierarchy = ResolveHierarchy(r.summary);
  return r;
}

Box B(double x0, double y0, double x1, double y1) {
  Box b;
  b.Add(x0, y0);
  b.Add(x1, y1);
  return b;
}

TEST(Summary, ScansTheMinimalLibrary) {
  const Result r = Scan(MinimalLibrary());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.summary.listed.size(), 1u);
  EXPECT_EQ(r.Named("TOP").counts[0], 1u);
  EXPECT_EQ(r.Extents("TOP"), B(0, 0, 1000, 1000));
  EXPECT_TRUE(r.summary.layers.Contains(1));
  EXPECT_TRUE(r.summary.datatypes.Contains(0));
  EXPECT_EQ(r.diagnostics.warning_count(), 0u);
}

TEST(Summary, PlacesReferencesAndPathsAsTheFormatReferenceExpects) {
  LibraryBuilder lib;
  lib.Structure("A").Rect(1, 0, 0, 100, 50);
  lib.Structure("TOP").Ref("A", {1000, 2000}, true, 2.0, 90.0);
  Element aref;
  aref.kind = ElementKind::kARef;
  aref.has_sname = true;
  aref.sname = "A";
  aref.strans = 0x8000;
  aref.angle = Real8::FromDouble(90);
  aref.colrow = std::array<std::uint16_t, 2>{3, 2};
  aref.xy = {{0, 0}, {600, 0}, {0, 400}};
  lib.Add(aref);
  const std::int16_t types[] = {0, 2, 1, 4};
  for (int i = 0; i < 4; ++i) {
    Element p;
    p.kind = ElementKind::kPath;
    p.layer = static_cast<std::uint16_t>(2 + i);
    p.datatype = 0;
    p.pathtype = types[i];
    p.width = 100;
    if (types[i] == 4) {
      p.bgnextn = 20;
      p.endextn = 30;
    }
    p.xy = {{0, -1000 * (i + 1)}, {1000, -1000 * (i + 1)}};
    lib.Add(p);
  }
  Element p;
  p.kind = ElementKind::kPath;
  p.layer = 6;
  p.datatype = 0;
  p.width = -100;
  p.xy = {{0, -5000}, {1000, -5000}, {1000, -4500}};
  lib.Add(p);
  const Result r = Scan(lib.Bytes());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.Extents("A"), B(0, 0, 100, 50));
  EXPECT_EQ(r.Extents("TOP"), B(-50, -5050, 1100, 2200));
  const auto& top = r.Named("TOP");
  EXPECT_EQ(top.counts, (std::array<std::uint64_t, 7>{0, 5, 1, 1, 0, 0, 0}));
  for (int layer = 1; layer <= 6; ++layer) EXPECT_TRUE(r.summary.layers.Contains(layer)) << layer;
  EXPECT_FALSE(r.summary.layers.Contains(7));
}

TEST(Summary, CutsACycleAndListsAnUndefinedName) {
  LibraryBuilder lib;
  lib.Structure("TOP").Ref("MISSING", {0, 0}).Ref("LOOP", {0, 0});
  lib.Structure("LOOP").Rect(1, 0, 0, 1000, 1000).Ref("TOP", {0, 0});
  const Result r = Scan(lib.Bytes());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.Extents("LOOP"), B(0, 0, 1000, 1000));
  EXPECT_EQ(r.Extents("TOP"), B(0, 0, 1000, 1000));
  ASSERT_EQ(r.hierarchy.undefined.size(), 1u);
  EXPECT_EQ(r.summary.structures[r.hierarchy.undefined[0]].name, "MISSING");
  ASSERT_EQ(r.hierarchy.cycles.size(), 1u);
  EXPECT_EQ(r.hierarchy.cycles[0].size(), 2u);
  EXPECT_EQ(r.summary.listed.size(), 2u);
}

// Its made-up name is the one of the structure before it: it takes another, and only it is
// marked as made up.
TEST(Summary, AStructureWithoutANameGetsOneThatNoOtherHas) {
  const auto build = [](const std::string& first, bool unnamed) {
    LibraryBuilder lib;
    lib.Structure(first).Rect(1, 0, 0, 10, 10);
    if (unnamed) lib.Structure("").Rect(2, 0, 0, 10, 10);
    return lib.Bytes();
  };
  const std::size_t at = build("$$EMPTY_NAME$$_000", false).size() - 4;  // where ENDLIB was
  const std::string taken = UnnamedStructureName(at);
  ASSERT_EQ(build(taken, false).size() - 4, at);
  const Result r = Scan(build(taken, true));
  ASSERT_EQ(r.summary.listed.size(), 2u);
  const StructureSummary& second = r.summary.structures[r.summary.listed[1]];
  EXPECT_EQ(second.name, taken + "_");
  EXPECT_EQ(second.offset, at);
  EXPECT_TRUE(second.unnamed);
  EXPECT_FALSE(r.Named(taken).unnamed);
  EXPECT_EQ(r.Named(taken).counts[0], 1u);
}

TEST(Summary, ClampsAnArrayWithZeroColumns) {
  LibraryBuilder lib;
  lib.Structure("A").Rect(1, 0, 0, 10, 10);
  Element aref;
  aref.kind = ElementKind::kARef;
  aref.has_sname = true;
  aref.sname = "A";
  aref.colrow = std::array<std::uint16_t, 2>{0, 0xFFFF};
  aref.xy = {{0, 0}, {0, 0}, {0, 0}};
  lib.Structure("TOP").Add(aref);
  const Result r = Scan(lib.Bytes());
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.Extents("TOP"), B(0, 0, 10, 10));
  EXPECT_EQ(r.diagnostics.counts().count("AREF with invalid COLROW taken as 1 x 1"), 1u);
}

TEST(Summary, SkipsTheEditorsContextStructure) {
  LibraryBuilder lib;
  lib.Structure("A").Rect(1, 0, 0, 10, 10);
  lib.Structure(std::string(kContextInfoName)).Rect(0, 0, 0, 0, 0).Ref("A", {0, 0});
  const Result r = Scan(lib.Bytes());
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(r.summary.skipped_context_info);
  EXPECT_EQ(r.summary.listed.size(), 1u);
  EXPECT_FALSE(r.summary.layers.Contains(0));
  EXPECT_FALSE(r.hierarchy.referenced[r.summary.listed[0]]);
}

TEST(Summary, KeepsTheFirstOfTwoStructuresWithOneName) {
  LibraryBuilder lib;
  lib.Structure("A").Rect(1, 0, 0, 10, 10);
  lib.Structure("A").Rect(2, 0, 0, 99, 99);
  const Result r = Scan(lib.Bytes());
  EXPECT_EQ(r.summary.listed.size(), 1u);
  EXPECT_EQ(r.Extents("A"), B(0, 0, 10, 10));
  EXPECT_FALSE(r.summary.layers.Contains(2));
  EXPECT_EQ(r.diagnostics.warning_count(), 1u);
}

TEST(Summary, WarnsAboutEachElementOutsideAStructureAndCountsNone) {
  LibraryBuilder lib;
  lib.Structure("A").Rect(1, 0, 0, 10, 10);
  std::vector<std::uint8_t> bytes = lib.Bytes();
  MemorySink loose;
  {
    RecordWriter w(loose);
    Element e;
    e.layer = 7;
    e.datatype = 0;
    e.xy = {{0, 0}, {0, 99}, {99, 99}, {0, 0}};
    WriteElement(w, e);
    WriteElement(w, e);
    w.Flush();
  }
  bytes.insert(bytes.end() - 4, loose.bytes.begin(), loose.bytes.end());  // between ENDSTR and ENDLIB
  const Result r = Scan(bytes);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.diagnostics.counts().at("element outside a structure skipped"), 2u);
  EXPECT_EQ(r.diagnostics.warning_count(), 2u);
  EXPECT_FALSE(r.summary.layers.Contains(7));
  EXPECT_EQ(r.Named("A").counts[0], 1u);
}

// Structures whose bytes are valid as they stand are marked so, for copying unread; shapes
// are counted per pair when they can be written at all.
TEST(Summary, MarksWhatCanBeCopiedAsItStandsAndCountsShapesPerPair) {
  MemorySink sink;
  RecordWriter w(sink);
  LibraryHeader lib;
  WriteLibraryHeader(w, lib);
  const auto begin = [&w](const char* name) {
    StructureHeader h;
    h.name = name;
    WriteStructureBegin(w, h);
  };
  const auto rect = [&w](std::int16_t layer, std::int16_t datatype) {
    w.Empty(kBoundary);
    w.Int16(kLayer, layer);
    w.Int16(kDatatype, datatype);
    w.Points(std::vector<Point>{{0, 0}, {10, 0}, {10, 10}, {0, 0}});
    w.Empty(kEndEl);
  };
  begin("CLEAN");  // a STRCLASS before the elements, properties between and in them
  w.Int16(kStrClass, 0);
  rect(1, 0);
  w.Int16(kPropAttr, 1);
  w.String(kPropValue, "between");
  w.Empty(kBoundary);
  w.Int16(kLayer, 1);
  w.Int16(kDatatype, 0);
  w.Points(std::vector<Point>{{0, 0}, {10, 0}, {10, 10}, {0, 0}});
  w.Int16(kPropAttr, 2);
  w.String(kPropValue, "inside");
  w.Empty(kEndEl);
  w.Empty(kEndStr);
  begin("WIDE_LAYER");  // LAYER as a 4-byte integer: read, but not as the format writes it
  w.Empty(kBoundary);
  w.Int32(kLayer, 2);
  w.Int16(kDatatype, 0);
  w.Points(std::vector<Point>{{0, 0}, {10, 0}, {10, 10}, {0, 0}});
  w.Empty(kEndEl);
  w.Empty(kEndStr);
  begin("XY_FIRST");  // records out of order
  w.Empty(kBoundary);
  w.Points(std::vector<Point>{{0, 0}, {10, 0}, {10, 10}, {0, 0}});
  w.Int16(kLayer, 3);
  w.Int16(kDatatype, 0);
  w.Empty(kEndEl);
  w.Empty(kEndStr);
  begin("TRIANGLE");  // a boundary of three points cannot be written
  w.Empty(kBoundary);
  w.Int16(kLayer, 4);
  w.Int16(kDatatype, 0);
  w.Points(std::vector<Point>{{0, 0}, {10, 0}, {0, 0}});
  w.Empty(kEndEl);
  rect(1, 7);
  w.Empty(kEndStr);
  begin("STRAY");  // a record between elements that is not a property
  rect(1, 0);
  w.Int16(kStrClass, 0);
  w.Empty(kEndStr);
  begin("END_DATA");  // an ENDSTR that carries data
  rect(1, 0);
  const std::uint8_t two[] = {0, 0};
  w.Raw(kEndStr, kInt16, two);
  begin("NO_ENDEL");
  w.Empty(kBoundary);
  w.Int16(kLayer, 1);
  w.Int16(kDatatype, 0);
  w.Points(std::vector<Point>{{0, 0}, {10, 0}, {10, 10}, {0, 0}});
  w.Empty(kEndStr);
  WriteLibraryEnd(w);
  w.Flush();

  const std::vector<std::uint8_t>& bytes = sink.bytes;
  Diagnostics d;
  LayoutSummary out;
  SummaryOptions options;
  options.copy_facts = true;
  ASSERT_TRUE(Summarize(bytes.data(), bytes.size(), d, out, options));
  std::string verbatim;
  for (std::uint32_t i : out.listed) verbatim += out.structures[i].name + (out.structures[i].verbatim ? "+ " : "- ");
  EXPECT_EQ(verbatim, "CLEAN+ WIDE_LAYER- XY_FIRST- TRIANGLE- STRAY- END_DATA- NO_ENDEL- ");
  // A verbatim structure ends right where the next begins.
  EXPECT_EQ(out.structures[out.listed[0]].end, out.structures[out.listed[1]].offset);

  std::string pairs;
  for (const PairTotal& p : out.pair_totals)
    pairs += std::to_string(p.layer) + "/" + std::to_string(p.datatype) + ":" + std::to_string(p.count) + " ";
  EXPECT_EQ(pairs, "1/0:5 1/7:1 2/0:1 3/0:1 ");
}

TEST(Geometry, TransformsBoxesExactlyForQuarterTurns) {
  Transform t;
  t.angle = 90;
  EXPECT_EQ(TransformBox(B(0, 0, 100, 50), t), B(-50, 0, 0, 100));
  t.angle = -270;
  EXPECT_EQ(TransformBox(B(0, 0, 100, 50), t), B(-50, 0, 0, 100));
  t.angle = 45;
  const Box b = TransformBox(B(0, 0, 100, 0), t);
  EXPECT_NEAR(b.max_x, 70.710678, 1e-5);
  EXPECT_NEAR(b.max_y, 70.710678, 1e-5);
}

}  // namespace
}  // namespace korvex::gds

namespace korvex::gds {
namespace {

// Returns the number of parts the parallel reading used.
std::size_t ExpectSameSummary(const std::vector<std::uint8_t>& bytes, unsigned threads, const std::string& what) {
  SCOPED_TRACE(what);
  Diagnostics d1, d2;
  LayoutSummary one, many;
  SummaryOptions serial, parallel;
  serial.copy_facts = parallel.copy_facts = true;
  parallel.threads = threads;
  parallel.min_part = 1;
  serial.pairs = parallel.pairs = true;
  const bool ok1 = Summarize(bytes.data(), bytes.size(), d1, one, serial);
  const bool ok2 = Summarize(bytes.data(), bytes.size(), d2, many, parallel);
  EXPECT_EQ(ok1, ok2);
  EXPECT_EQ(one.header, many.header);
  EXPECT_EQ(one.listed, many.listed);
  if (one.structures.size() != many.structures.size() || one.references.size() != many.references.size()) {
    ADD_FAILURE() << "different sizes";
    return many.parts;
  }
  for (std::size_t i = 0; i < one.structures.size(); ++i) {
    const StructureSummary &a = one.structures[i], &b = many.structures[i];
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.offset, b.offset);
    EXPECT_EQ(a.defined, b.defined);
    EXPECT_EQ(a.incomplete, b.incomplete);
    EXPECT_EQ(a.counts, b.counts);
    EXPECT_EQ(a.local, b.local);
    EXPECT_EQ(a.first_reference, b.first_reference);
    EXPECT_EQ(a.reference_count, b.reference_count);
    EXPECT_EQ(a.end, b.end);
    EXPECT_EQ(a.verbatim, b.verbatim);
    EXPECT_EQ(a.pairs, b.pairs);
  }
  EXPECT_EQ(one.pair_totals.size(), many.pair_totals.size());
  for (std::size_t i = 0; i < std::min(one.pair_totals.size(), many.pair_totals.size()); ++i) {
    EXPECT_EQ(one.pair_totals[i].layer, many.pair_totals[i].layer);
    EXPECT_EQ(one.pair_totals[i].datatype, many.pair_totals[i].datatype);
    EXPECT_EQ(one.pair_totals[i].count, many.pair_totals[i].count);
  }
  for (std::size_t i = 0; i < one.references.size(); ++i) {
    const Reference &a = one.references[i], &b = many.references[i];
    EXPECT_EQ(a.child, b.child);
    EXPECT_EQ(a.columns, b.columns);
    EXPECT_EQ(a.points[2], b.points[2]);
  }
  EXPECT_EQ(one.layers.Values(), many.layers.Values());
  EXPECT_EQ(one.datatypes.Values(), many.datatypes.Values());
  EXPECT_EQ(one.saw_endlib, many.saw_endlib);
  EXPECT_EQ(one.records, many.records);
  EXPECT_EQ(one.largest_text_mag, many.largest_text_mag);
  EXPECT_EQ(d1.warning_count(), d2.warning_count());
  EXPECT_EQ(d1.counts(), d2.counts());
  EXPECT_EQ(d1.issues().size(), d2.issues().size());
  for (std::size_t i = 0; i < std::min(d1.issues().size(), d2.issues().size()); ++i)
    EXPECT_EQ(d1.issues()[i].Text(), d2.issues()[i].Text());
  return many.parts;
}

using testing::Generated;

TEST(ParallelSummary, GivesExactlyTheSerialResult) {
  for (bool exotic : {false, true}) {
    const auto bytes = Generated(11, 400000, exotic);
    for (unsigned threads : {2u, 3u, 7u}) EXPECT_EQ(ExpectSameSummary(bytes, threads, "generated"), threads);
    // Broken streams: cut anywhere, a bad length, no ENDSTR before a split.
    for (std::size_t cut = 1000; cut < bytes.size(); cut += bytes.size() / 9) {
      ExpectSameSummary(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(cut)), 3, "cut");
    }
    auto bad = bytes;
    bad[bytes.size() * 2 / 3] ^= 0x5A;
    ExpectSameSummary(bad, 3, "flipped byte");
  }
  const std::filesystem::path dir = KORVEX_SHARED_TESTDATA;
  if (std::filesystem::is_directory(dir)) {
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      if (entry.path().extension() != ".gds") continue;
      std::ifstream in(entry.path(), std::ios::binary);
      const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      ExpectSameSummary(bytes, 4, entry.path().filename().string());
    }
  }
}

// The same elements written plainly, and each with a property, which leaves the plain form
// and makes the summary read them through the element grammar: one result but the records.
TEST(Summary, ReadsPlainElementsAsTheElementGrammarReadsThem) {
  const auto generated = Generated(5, 300000, true);
  Diagnostics ignored;
  StreamReader reader(generated.data(), generated.size(), ignored);
  LibraryHeader header;
  ASSERT_TRUE(reader.ReadLibraryHeader(header));
  std::vector<std::pair<StructureHeader, std::vector<Element>>> structures;
  while (reader.NextStructure()) {
    std::vector<Element> elements;
    for (Element e; reader.NextElement(e);) elements.push_back(e);
    structures.emplace_back(reader.structure(), std::move(elements));
  }
  std::size_t elements = 0;
  Result results[2];
  for (int with_property = 0; with_property < 2; ++with_property) {
    MemorySink sink;
    {
      RecordWriter w(sink, 0);
      WriteLibraryHeader(w, header);
      std::uint32_t k = 0;
      for (const auto& [structure, list] : structures) {
        WriteStructureBegin(w, structure);
        for (Element e : list) {
          // Scattered layer and type numbers, so that one read wrong shows in their sets.
          if (e.layer) e.layer = static_cast<std::uint16_t>(++k * 40503u);
          if (e.datatype) e.datatype = static_cast<std::uint16_t>(k * 10007u);
          if (with_property) e.properties.push_back({7, "P"});
          WriteElement(w, e);
          elements += with_property;
        }
        WriteStructureEnd(w, structure);
      }
      ASSERT_TRUE(WriteLibraryEnd(w));
    }
    results[with_property] = Scan(sink.bytes);
    ASSERT_TRUE(results[with_property].ok);
  }
  const LayoutSummary &plain = results[0].summary, &general = results[1].summary;
  EXPECT_EQ(general.records, plain.records + 2 * elements);
  EXPECT_EQ(plain.listed, general.listed);
  EXPECT_EQ(plain.layers.Values(), general.layers.Values());
  EXPECT_EQ(plain.datatypes.Values(), general.datatypes.Values());
  EXPECT_EQ(results[0].diagnostics.warning_count(), results[1].diagnostics.warning_count());
  ASSERT_EQ(plain.structures.size(), general.structures.size());
  for (std::size_t i = 0; i < plain.structures.size(); ++i) {
    SCOPED_TRACE(plain.structures[i].name);
    EXPECT_EQ(plain.structures[i].counts, general.structures[i].counts);
    EXPECT_EQ(plain.structures[i].local, general.structures[i].local);
  }
  ASSERT_EQ(plain.references.size(), general.references.size());
  for (std::size_t i = 0; i < plain.references.size(); ++i) {
    const Reference &a = plain.references[i], &b = general.references[i];
    EXPECT_TRUE(a.child == b.child && a.array == b.array && a.reflect == b.reflect && a.columns == b.columns &&
                a.rows == b.rows && a.mag == b.mag && a.angle == b.angle && a.points[0] == b.points[0] &&
                a.points[1] == b.points[1] && a.points[2] == b.points[2]) << "reference " << i;
  }
  EXPECT_GT(elements, 1000u);
}

TEST(ParallelSummary, KeepsTheFirstDefinitionWhenPartsShareAName) {
  LibraryBuilder lib;
  lib.Structure("A").Rect(1, 0, 0, 10, 10);
  for (int i = 0; i < 50; ++i) lib.Structure(std::string(1, 'B') + std::to_string(i)).Rect(2, 0, 0, 5, 5);
  lib.Structure("A").Rect(3, 0, 0, 99, 99);
  lib.Structure("C").Ref("A", {0, 0});
  const auto bytes = lib.Bytes();
  EXPECT_EQ(ExpectSameSummary(bytes, 4, "duplicate"), 1u);  // read in one piece
  const Result r = Scan(bytes);
  EXPECT_FALSE(r.summary.layers.Contains(3));
}

}  // namespace
}  // namespace korvex::gds

namespace korvex::gds {
namespace {

TEST(ParallelSummary, SeesThroughAFalseSplitPointInsideCoordinates) {
  // Boundaries whose XY bytes look like a BGNSTR followed by a STRNAME, around the middle.
  LibraryBuilder lib;
  lib.Structure("A");
  for (int i = 0; i < 240; ++i) {
    Element e;
    e.layer = 1;
    e.datatype = 0;
    if (i >= 90 && i < 150) {
      e.xy = {{0x001C0502, 0}, {5, 5}, {6, 6}, {0, 0x00080606}, {0x001C0502, 0}};
    } else {
      e.xy = {{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}};
    }
    lib.Add(e);
  }
  lib.Structure("B").Ref("A", {0, 0});
  EXPECT_EQ(ExpectSameSummary(lib.Bytes(), 2, "false split"), 1u);
}

}  // namespace
}  // namespace korvex::gds
