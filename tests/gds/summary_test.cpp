#include <gtest/gtest.h>

#include "gds/hierarchy.h"
#include "gds/layout_summary.h"
#include "gds/stream_writer.h"
#include "test_bytes.h"

namespace korvex::gds {
namespace {

using testing::MinimalLibrary;

// Builds a library from a few lines of elements per structure.
class LibraryBuilder {
 public:
  LibraryBuilder() : writer_(sink_) {
    LibraryHeader lib;
    lib.name = "LIB";
    WriteLibraryHeader(writer_, lib);
  }
  LibraryBuilder& Structure(const std::string& name) {
    if (open_) WriteStructureEnd(writer_, header_);
    header_ = StructureHeader{};
    header_.name = name;
    WriteStructureBegin(writer_, header_);
    open_ = true;
    return *this;
  }
  LibraryBuilder& Rect(std::uint16_t layer, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) {
    Element e;
    e.layer = layer;
    e.datatype = 0;
    e.xy = {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}, {x0, y0}};
    return Add(e);
  }
  LibraryBuilder& Ref(const std::string& name, Point at, bool reflect = false, double mag = 1, double angle = 0) {
    Element e;
    e.kind = ElementKind::kSRef;
    e.has_sname = true;
    e.sname = name;
    if (reflect || mag != 1 || angle != 0) e.strans = reflect ? 0x8000 : 0;
    if (mag != 1) e.mag = Real8::FromDouble(mag);
    if (angle != 0) e.angle = Real8::FromDouble(angle);
    e.xy = {at};
    return Add(e);
  }
  LibraryBuilder& Add(const Element& e) {
    WriteElement(writer_, e);
    return *this;
  }
  std::vector<std::uint8_t> Bytes() {
    if (open_) WriteStructureEnd(writer_, header_);
    open_ = false;
    WriteLibraryEnd(writer_);
    return sink_.bytes;
  }

 private:
  MemorySink sink_;
  RecordWriter writer_;
  StructureHeader header_;
  bool open_ = false;
};

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
