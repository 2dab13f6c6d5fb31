// The reports of quarn.exe read back by the front end's own scan report reader, and compared
// with an independent reader (KLayout in batch mode) for every third-party layout.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "core/inspect/report_fields.h"
#include "core/inspect/scan_report.h"
#include "core/inspect/scan_result.h"
#include "gds/hierarchy.h"
#include "gds/layout_summary.h"
#include "gds/mapped_file.h"
#include "gds/record_writer.h"
#include "gdsgen/generator.h"
#include "quarn/report.h"
#include "../../gds/library_builder.h"
#include "run_program.h"

namespace korvex::quarn {
namespace {

namespace fs = std::filesystem;

const std::string kQuarn = std::string(KORVEX_BIN_DIR) + "/quarn.exe";

struct KLayoutCell {
  std::array<std::int64_t, 5> counts{};
  bool empty = true;
  std::array<std::int64_t, 4> box{};
};

struct KLayoutFile {
  std::map<std::string, KLayoutCell> cells;  // by name as KLayout gives it
  std::set<std::string> layers, datatypes;
};

std::set<std::string> SplitCommas(const std::string& text) {
  std::set<std::string> out;
  std::stringstream in(text);
  for (std::string item; std::getline(in, item, ',');)
    if (!item.empty()) out.insert(item);
  return out;
}

// One KLayout run for all files (its start-up costs more than the reading).
std::map<std::string, KLayoutFile> ReadWithKLayout(const std::vector<fs::path>& files, std::string& failure) {
  std::string list;
  for (const auto& f : files) list += f.string() + ";";
  const auto run = testing::RunProgram(
      {"klayout", "-b", "-r", std::string(KORVEX_SOURCE_DIR) + "/tests/tools/quarn/klayout_cells.py", "-rd", "files=" + list},
      "", 300);
  std::map<std::string, KLayoutFile> out;
  if (!run.started || run.exit_code != 0) {
    failure = "klayout failed: " + run.err;
    return out;
  }
  std::stringstream in(run.out);
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> parts;
    std::stringstream fields(line);
    for (std::string p; std::getline(fields, p, '\t');) parts.push_back(p);
    if (parts.size() < 3 || parts[0].empty() || parts[0][0] != '/') continue;  // KLayout's own warnings
    KLayoutFile& file = out[parts[0]];
    if (parts[1] == "DBU") continue;
    if (parts[1] == "LAYERS") {
      file.layers = SplitCommas(parts[2]);
      continue;
    }
    if (parts[1] == "DATATYPES") {
      file.datatypes = SplitCommas(parts[2]);
      continue;
    }
    if (parts.size() < 4) continue;
    KLayoutCell cell;
    std::stringstream counts(parts[2]);
    for (auto& c : cell.counts) counts >> c;
    if (parts[3] != "empty") {
      cell.empty = false;
      std::stringstream box(parts[3]);
      for (auto& v : cell.box) box >> v;
    }
    file.cells[parts[1]] = cell;
  }
  return out;
}

std::vector<std::string> Layers(const ScanResult& scan, bool datatypes) {
  const auto& list = datatypes ? scan.Datatypes : scan.Layers;
  const int count = datatypes ? scan.DatatypeCount : scan.LayerCount;
  return {list.begin(), list.begin() + count};
}

std::string ScanToReport(const fs::path& input, const fs::path& report) {
  const auto run = testing::RunProgram({kQuarn, input.string(), "-sh", "-sea", "-elmcnt", "-dtp", "-o:" + report.string()});
  if (run.exit_code != 0) return "quarn.exe failed on " + input.string() + ": " + run.err;
  return "";
}

TEST(QuarnReport, EveryThirdPartyFileAgreesWithKLayoutThroughOurReportReader) {
  const fs::path dir = KORVEX_SHARED_TESTDATA;
  if (!fs::is_directory(dir)) GTEST_SKIP() << "no third-party layouts at " << dir;
  if (!testing::RunProgram({"klayout", "-v"}, "", 60).started) GTEST_SKIP() << "klayout is not installed";
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(dir))
    if (e.path().extension() == ".gds") files.push_back(e.path());
  std::sort(files.begin(), files.end());
  std::string failure;
  const auto klayout = ReadWithKLayout(files, failure);
  ASSERT_TRUE(failure.empty()) << failure;
  const fs::path report = fs::temp_directory_path() / ("quarn_kl_" + std::to_string(::getpid()) + ".ssn");
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.filename().string());
    ASSERT_EQ(ScanToReport(file, report), "");
    ScanResult scan;
    ResetScanResult(scan);
    const ScanReportRead read = ReadScanReport(scan, report.string());
    ASSERT_TRUE(read.opened);
    EXPECT_FALSE(read.Cut());
    ASSERT_TRUE(klayout.count(file.string()));
    const KLayoutFile& kl = klayout.at(file.string());
    ASSERT_EQ(static_cast<std::size_t>(scan.StructureCount), kl.cells.size());
    EXPECT_FALSE(scan.TopStructure.empty());
    // Names as the reader keeps them: encoded, then cut to 34 characters.
    std::map<std::string, std::vector<const KLayoutCell*>> by_cut_name;
    for (const auto& [name, cell] : kl.cells) by_cut_name[std::string(CutStructureName(EncodeName(name)))].push_back(&cell);
    for (int i = 0; i < scan.StructureCount; ++i) {
      const std::string& name = scan.StructureNames[static_cast<std::size_t>(i)];
      ASSERT_TRUE(by_cut_name.count(name)) << name;
      if (by_cut_name[name].size() != 1) continue;  // two long names that share 34 characters
      const KLayoutCell& cell = *by_cut_name[name][0];
      const ElementCount& c = scan.ElementCounts[static_cast<std::size_t>(i)];
      EXPECT_EQ((std::array<std::int64_t, 5>{c.Boundary, c.Path, c.ARef, c.SRef, c.Text}), cell.counts) << name;
      const Extent& x = scan.Extents[static_cast<std::size_t>(i)];
      const std::array<std::int64_t, 4> ours = {x.MinX, x.MinY, x.MaxX, x.MaxY};
      for (int k = 0; k < 4; ++k) {
        // One unit of slack: the reader truncates user units times the resolution.
        EXPECT_NEAR(ours[k], cell.empty ? 0 : cell.box[k], 1) << name << " extent " << k;
      }
    }
    const auto layers = Layers(scan, false), datatypes = Layers(scan, true);
    EXPECT_EQ(std::set<std::string>(layers.begin(), layers.end()), kl.layers);
    EXPECT_EQ(std::set<std::string>(datatypes.begin(), datatypes.end()), kl.datatypes);
  }
  fs::remove(report);
}

gds::Element Shape(gds::ElementKind kind, std::vector<gds::Point> xy, std::int16_t pathtype = 0, std::int32_t width = 0) {
  gds::Element e;
  e.kind = kind;
  e.layer = 1;
  e.datatype = 0;
  e.xy = std::move(xy);
  if (kind == gds::ElementKind::kPath) {
    e.pathtype = pathtype;
    e.width = width;
    if (pathtype == 4) {
      e.bgnextn = 150;
      e.endextn = -40;
    }
  }
  if (kind == gds::ElementKind::kText) {
    e.has_string = true;
    e.string = "pin";
  }
  return e;
}

gds::Element Placement(gds::ElementKind kind, const std::string& child, std::uint16_t strans, double mag, double angle,
                       std::vector<gds::Point> xy, std::uint16_t columns = 1, std::uint16_t rows = 1) {
  gds::Element e;
  e.kind = kind;
  e.has_sname = true;
  e.sname = child;
  e.strans = strans;
  e.mag = gds::Real8::FromDouble(mag);
  e.angle = gds::Real8::FromDouble(angle);
  if (kind == gds::ElementKind::kARef) e.colrow = std::array<std::uint16_t, 2>{columns, rows};
  e.xy = std::move(xy);
  return e;
}

TEST(QuarnReport, PlacementsAtOddAnglesHaveTheBoxOfTheirGeometryAsKLayoutFlattensIt) {
  if (!testing::RunProgram({"klayout", "-v"}, "", 60).started) GTEST_SKIP() << "klayout is not installed";
  using gds::ElementKind;
  gds::testing::LibraryBuilder lib;
  lib.Structure("LEAF")
      .Add(Shape(ElementKind::kBoundary, {{0, 0}, {10000, 0}, {0, 3000}, {0, 0}}))
      .Add(Shape(ElementKind::kPath, {{-2000, -500}, {-2000, 4000}, {1000, 4000}}, 2, 300))
      .Add(Shape(ElementKind::kPath, {{3000, 2500}, {7001, 6003}}, 4, 251))
      .Add(Shape(ElementKind::kText, {{12000, -700}}));
  lib.Structure("MID").Ref("LEAF", {500, 0}, false, 1, 30).Rect(2, 0, 0, 40, 40);
  const std::uint16_t kReflect = 0x8000;
  const std::vector<std::pair<std::string, gds::Element>> placements = {
      {"R45", Placement(ElementKind::kSRef, "LEAF", 0, 1, 45, {{100, 200}})},
      {"R30_MAG", Placement(ElementKind::kSRef, "LEAF", 0, 2.5, 30, {{-77, 13}})},
      {"R135", Placement(ElementKind::kSRef, "LEAF", 0, 1, 135, {{100, 200}})},
      {"M45_MAG", Placement(ElementKind::kSRef, "LEAF", kReflect, 1.5, 45, {{100, 200}})},
      {"M135", Placement(ElementKind::kSRef, "MID", kReflect, 1, 135, {{-100, 7}})},
      {"R33_MAG", Placement(ElementKind::kSRef, "MID", 0, 1.37, 33.3, {{-100, 7}})},
      {"R90_OF_ODD", Placement(ElementKind::kSRef, "MID", kReflect, 0.7, 90, {{5, 5}})},
      {"ARRAY_M45", Placement(ElementKind::kARef, "LEAF", kReflect, 0.7, 45, {{0, 0}, {30000, 3000}, {-2000, 20000}}, 3, 2)},
      {"ARRAY_R300", Placement(ElementKind::kARef, "MID", 0, 1, 300, {{0, 0}, {0, 40000}, {-50000, 0}}, 4, 5)},
      // The absolute flags are taken as relative, as KLayout does (it warns about them).
      {"ABSOLUTE", Placement(ElementKind::kSRef, "MID", 0x0006, 1.25, 60, {{0, 0}})},
  };
  for (const auto& [name, e] : placements) lib.Structure(name).Add(e);
  lib.Structure("TOP").Ref("ABSOLUTE", {1000, 0}, false, 2, 17).Ref("R90_OF_ODD", {0, 0}, true, 1, 180);
  const auto bytes = lib.Bytes();

  const fs::path input = fs::temp_directory_path() / ("quarn_odd_" + std::to_string(::getpid()) + ".gds");
  const fs::path report = input.string() + ".ssn";
  std::ofstream(input, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<std::streamsize>(bytes.size()));
  std::string failure;
  const auto klayout = ReadWithKLayout({input}, failure);
  ASSERT_TRUE(failure.empty()) << failure;
  ASSERT_EQ(ScanToReport(input, report), "");
  ScanResult scan;
  ResetScanResult(scan);
  ASSERT_TRUE(ReadScanReport(scan, report.string()).opened);
  const KLayoutFile& kl = klayout.at(input.string());
  ASSERT_EQ(static_cast<std::size_t>(scan.StructureCount), kl.cells.size());
  for (int i = 0; i < scan.StructureCount; ++i) {
    const std::string& name = scan.StructureNames[static_cast<std::size_t>(i)];
    ASSERT_TRUE(kl.cells.count(name)) << name;
    const Extent& x = scan.Extents[static_cast<std::size_t>(i)];
    EXPECT_EQ((std::array<std::int64_t, 4>{x.MinX, x.MinY, x.MaxX, x.MaxY}), kl.cells.at(name).box) << name;
  }
  fs::remove(input);
  fs::remove(report);
}

// A layout cut short: the front end learns from the scanner's own report where the damage is.
TEST(QuarnReport, ACutLayoutsDamageReachesTheFrontEnd) {
  const fs::path input = fs::temp_directory_path() / ("quarn_cut_" + std::to_string(::getpid()) + ".gds");
  const fs::path report = input.string() + ".ssn";
  {
    gdsgen::GeneratorOptions o;
    o.seed = 2;
    o.size = 100000;
    gds::MemorySink sink;
    gdsgen::GeneratorStats stats;
    std::string error;
    ASSERT_TRUE(gdsgen::GenerateLayout(o, sink, stats, error)) << error;
    // Cut inside the first record of 12 bytes or more past the middle.
    std::size_t at = 0;
    while (at < sink.bytes.size() / 2 || (sink.bytes[at] << 8 | sink.bytes[at + 1]) < 12)
      at += static_cast<std::size_t>(sink.bytes[at] << 8 | sink.bytes[at + 1]);
    sink.bytes.resize(at + 8);
    std::ofstream(input, std::ios::binary)
        .write(reinterpret_cast<const char*>(sink.bytes.data()), static_cast<std::streamsize>(sink.bytes.size()));
  }
  ASSERT_EQ(ScanToReport(input, report), "");
  ScanResult scan;
  ResetScanResult(scan);
  const ScanReportRead read = ReadScanReport(scan, report.string());
  ASSERT_TRUE(read.opened);
  EXPECT_TRUE(read.damage.starts_with("offset ")) << read.damage;
  EXPECT_TRUE(read.damage.ends_with("; the scan stopped there and reports what was read before")) << read.damage;
  EXPECT_GT(scan.StructureCount, 0);
  fs::remove(input);
  fs::remove(report);
}

TEST(QuarnReport, AGeneratedExoticLayoutReadsBackWithoutLoss) {
  const fs::path input = fs::temp_directory_path() / ("quarn_exotic_" + std::to_string(::getpid()) + ".gds");
  const fs::path report = input.string() + ".ssn";
  {
    gdsgen::GeneratorOptions o;
    o.seed = 3;
    o.size = 300000;
    o.exotic = true;
    gds::FileSink sink;
    ASSERT_TRUE(sink.Open(input.string()));
    gdsgen::GeneratorStats stats;
    std::string error;
    ASSERT_TRUE(gdsgen::GenerateLayout(o, sink, stats, error)) << error;
    ASSERT_TRUE(sink.Close());
  }
  ASSERT_EQ(ScanToReport(input, report), "");
  ScanResult scan;
  ResetScanResult(scan);
  ASSERT_TRUE(ReadScanReport(scan, report.string()).opened);

  gds::MappedFile file;
  ASSERT_TRUE(file.Open(input.string()));
  gds::Diagnostics diagnostics;
  gds::LayoutSummary summary;
  ASSERT_TRUE(gds::Summarize(file.data(), file.size(), diagnostics, summary));
  const gds::Hierarchy hierarchy = gds::ResolveHierarchy(summary, file.data(), file.size());
  ASSERT_EQ(static_cast<std::size_t>(scan.StructureCount), summary.listed.size());
  EXPECT_EQ(scan.TopStructure, "TOP%20%28exotic%29");
  EXPECT_EQ(scan.Resolution, 1000);
  EXPECT_EQ(scan.UserUnits, " UM");
  for (std::size_t i = 0; i < summary.listed.size(); ++i) {
    const gds::StructureSummary& s = summary.structures[summary.listed[i]];
    EXPECT_EQ(scan.StructureNames[i], std::string(CutStructureName(EncodeName(s.name))));
    const ElementCount& c = scan.ElementCounts[i];
    EXPECT_EQ(c.Boundary, static_cast<std::int32_t>(s.counts[0]));
    EXPECT_EQ(c.Path, static_cast<std::int32_t>(s.counts[1]));
    EXPECT_EQ(c.SRef, static_cast<std::int32_t>(s.counts[2]));
    EXPECT_EQ(c.ARef, static_cast<std::int32_t>(s.counts[3]));
    EXPECT_EQ(c.Text, static_cast<std::int32_t>(s.counts[4]));
    const gds::Box& b = hierarchy.extents[summary.listed[i]];
    const Extent& x = scan.Extents[i];
    EXPECT_EQ((std::array<std::int32_t, 4>{x.MinX, x.MinY, x.MaxX, x.MaxY}),
              (std::array<std::int32_t, 4>{RoundToInt32(b.min_x), RoundToInt32(b.min_y), RoundToInt32(b.max_x),
                                           RoundToInt32(b.max_y)}));
  }
  // The whole tree of the top structure is marked: every structure hangs below it.
  EXPECT_EQ(scan.TreeCount, scan.StructureCount);
  EXPECT_EQ(static_cast<std::size_t>(scan.LayerCount), summary.layers.Values().size());
  fs::remove(input);
  fs::remove(report);
}

}  // namespace
}  // namespace korvex::quarn
