// The engine judges elements by the element grammar on both of its ways through a structure:
// record by record (numbers only) and element by element (here forced by -unfold). A file
// with repeated, mistyped, split and unknown records must come out the same either way.
#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "gds/hand_made_stream.h"
#include "gds/odd_records.h"
#include "gds/record_writer.h"
#include "gds/stream_writer.h"
#include "tools/korvexe/engine_fixture.h"

namespace korvex::enginetest {
namespace {

const std::string kTail = " -min:0.000000";

// Shapes by (layer, datatype), whatever their kind: unfolding turns the path into a boundary.
std::map<std::pair<int, int>, int> ByLayer(const Library& lib) {
  std::map<std::pair<int, int>, int> n;
  for (const auto& [key, count] : CountShapes(lib)) n[{std::get<1>(key), std::get<2>(key)}] += static_cast<int>(count);
  return n;
}

class GrammarInEngine : public ::testing::Test {
 protected:
  GrammarInEngine() { gds::testing::WriteOddRecordsLibrary(in_); }
  // The output of `switches` on the odd file, by records and by elements.
  std::pair<Library, Library> BothWays(const std::string& switches) {
    std::pair<Library, Library> out;
    for (const bool elements : {false, true}) {
      const std::string text = "\"" + in_ + "\" \"" + out_ + "\" \"ODD\" " + switches + (elements ? " -unfold" : "");
      const EngineResult r = RunEngineText(text, dir_);
      // The exit code counts the warnings: each odd record is reported once, from the scan.
      using namespace gds::testing;
      EXPECT_EQ(r.exit_code, static_cast<int>(kOddRepeated + kOddMistyped + kOddJoined + kOddUnknown)) << r.log;
      (elements ? out.second : out.first) = ReadLibrary(out_);
      EXPECT_EQ((elements ? out.second : out.first).Names(), std::vector<std::string>{"ODD"}) << r.log;
    }
    return out;
  }

  TempDir dir_;
  std::string in_ = dir_.File("odd.gds");
  std::string out_ = dir_.File("out.gds");
};

TEST_F(GrammarInEngine, LayerFiltersGoByTheFirstLayerRecordOnBothWays) {
  using Counts = std::map<std::pair<int, int>, int>;
  auto [records, elements] = BothWays("-x5 -X -tmag:1000000.000000" + kTail);
  EXPECT_EQ(ByLayer(records), (Counts{{{6, 0}, 1}}));
  EXPECT_EQ(ByLayer(elements), ByLayer(records));

  std::tie(records, elements) = BothWays("-x7 -X -tmag:1000000.000000" + kTail);  // 7 is only a repeat
  EXPECT_EQ(ByLayer(records), (Counts{{{5, 2}, 1}, {{5, 0}, 1}, {{6, 0}, 1}}));
  EXPECT_EQ(ByLayer(elements), ByLayer(records));

  std::tie(records, elements) = BothWays("-x -X -lyr5:9 -tmag:1000000.000000" + kTail);
  EXPECT_EQ(ByLayer(records), (Counts{{{9, 2}, 1}, {{9, 0}, 1}, {{6, 0}, 1}}));
  EXPECT_EQ(ByLayer(elements), ByLayer(records));
  // The boundary keeps both of its XY records' points on both ways.
  for (const Library* lib : {&records, &elements}) {
    const Structure* odd = lib->Find("ODD");
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->elements[0].xy.size(), 5u);
  }
}

TEST_F(GrammarInEngine, TextSizeLimitReadsTheFirstMagOnBothWays) {
  // MAG 1 comes first, MAG 5 repeats it: the text is small and stays.
  const auto [records, elements] = BothWays("-x -X -tmag:2.000000" + kTail);
  const std::pair<int, int> text{6, 0};
  EXPECT_EQ(ByLayer(records)[text], 1);
  EXPECT_EQ(ByLayer(elements)[text], 1);
}

TEST(GrammarInEngineOrder, AWidthAfterThePointsIsWidenedWhereItStands) {
  // Records may come in any order: the record copier rewrites the WIDTH the path took, and
  // adds none before the XY.
  TempDir dir;
  const std::string in = dir.File("late_width.gds"), out = dir.File("out.gds");
  {
    gds::FileSink sink;
    ASSERT_TRUE(sink.Open(in));
    gds::RecordWriter w(sink);
    const gds::StructureHeader top = gds::testing::BeginLibraryAndStructure(w, "LIB", "TOP");
    w.Empty(gds::kPath);
    w.Int16(gds::kLayer, 1);
    w.Int16(gds::kDatatype, 0);
    w.Points(std::vector<gds::Point>{{0, 0}, {1000, 0}});
    w.Int32(gds::kWidth, 10);
    w.Empty(gds::kEndEl);
    gds::WriteStructureEnd(w, top);
    gds::WriteLibraryEnd(w);
    ASSERT_TRUE(sink.Close());
  }
  const EngineResult r = RunEngineText("\"" + in + "\" \"" + out + "\" \"TOP\" -x -X -tmag:1000000.000000 -min:0.250000", dir);
  ASSERT_EQ(r.exit_code, 0) << r.log;
  const Library result = ReadLibrary(out);
  EXPECT_EQ(result.error, "");  // no repeated WIDTH to warn about
  const Structure* s = result.Find("TOP");
  ASSERT_NE(s, nullptr);
  ASSERT_EQ(s->elements.size(), 1u);
  EXPECT_EQ(s->elements[0].width, 250);
  EXPECT_TRUE(s->elements[0].extra.empty());
}

}  // namespace
}  // namespace korvex::enginetest
