// Elements the engine cannot write validly are left out whole, each with a warning naming
// its structure and offset; records it does not use (repeated, mistyped, out of place) and
// records between elements that are not properties never reach the output. Every way through
// a structure is held to it: copied as it is, record by record, element by element, flattened
// and merged; each output must read cleanly with our reader and with KLayout.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>

#include "gds/hand_made_stream.h"
#include "gds/record.h"
#include "gds/record_reader.h"
#include "gds/record_writer.h"
#include "gds/stream_writer.h"
#include "tools/korvexe/engine_fixture.h"

namespace korvex::enginetest {
namespace {

using gds::Point;

// Where the elements that must be left out start in the hand-made input.
struct BadInput {
  std::vector<std::pair<std::uint64_t, std::string>> left_out;  // offset, the log's words
};

void Rect4(gds::RecordWriter& w, int layer) {
  w.Empty(gds::kBoundary);
  w.Int16(gds::kLayer, static_cast<std::int16_t>(layer));
  w.Int16(gds::kDatatype, 0);
  w.Points(std::vector<Point>{{0, 0}, {10, 0}, {10, 10}, {0, 0}});
  w.Empty(gds::kEndEl);
}

BadInput WriteBadInput(const std::string& path) {
  BadInput bad;
  gds::FileSink sink;
  EXPECT_TRUE(sink.Open(path));
  gds::RecordWriter w(sink);
  const gds::StructureHeader a = gds::testing::BeginLibraryAndStructure(w, "BAD", "A");
  Rect4(w, 1);
  gds::WriteStructureEnd(w, a);
  gds::StructureHeader top;
  top.name = "TOP";
  gds::WriteStructureBegin(w, top);
  const auto mark = [&](const std::string& words) { bad.left_out.push_back({w.bytes_written(), words}); };

  // Good, but its start record has a data type: written anew with a proper one.
  w.Raw(gds::kBoundary, gds::kAscii, {});
  w.Int16(gds::kLayer, 2);
  w.Int16(gds::kDatatype, 0);
  w.Points(std::vector<Point>{{0, 0}, {10, 0}, {10, 10}, {0, 0}});
  w.Empty(gds::kEndEl);
  mark("(BOUNDARY) not written: element without XY");
  w.Empty(gds::kBoundary);
  w.Int16(gds::kLayer, 3);
  w.Int16(gds::kDatatype, 0);
  w.Empty(gds::kEndEl);
  mark("(BOUNDARY) not written: BOUNDARY with fewer than 4 points");
  w.Empty(gds::kBoundary);
  w.Int16(gds::kLayer, 3);
  w.Int16(gds::kDatatype, 0);
  w.Points(std::vector<Point>{{0, 0}, {10, 0}, {0, 0}});
  w.Empty(gds::kEndEl);
  mark("(SREF) not written: reference without a structure name (SNAME)");
  w.Empty(gds::kSRef);
  w.Points(std::vector<Point>{{0, 0}});
  w.Empty(gds::kEndEl);
  mark("(AREF) not written: AREF without a usable COLROW");
  w.Empty(gds::kARef);
  w.String(gds::kSName, "A");
  w.Points(std::vector<Point>{{0, 0}, {200, 0}, {0, 100}});
  w.Int16s(gds::kColRow, std::array<std::int16_t, 2>{0, 1});
  w.Empty(gds::kEndEl);
  // A good array whose COLROW comes after its points: written with it before them.
  w.Empty(gds::kARef);
  w.String(gds::kSName, "A");
  w.Points(std::vector<Point>{{0, 0}, {200, 0}, {0, 100}});
  w.Int16s(gds::kColRow, std::array<std::int16_t, 2>{2, 1});
  w.Empty(gds::kEndEl);
  mark("(BOUNDARY) not written: element without a usable LAYER");  // its only LAYER is a real
  w.Empty(gds::kBoundary);
  w.Real(gds::kLayer, gds::Real8::FromDouble(3.0));
  w.Int16(gds::kDatatype, 0);
  w.Points(std::vector<Point>{{0, 0}, {10, 0}, {10, 10}, {0, 0}});
  w.Empty(gds::kEndEl);
  mark("(BOUNDARY) not written: element without XY");  // its only XY holds 2-byte integers
  w.Empty(gds::kBoundary);
  w.Int16(gds::kLayer, 4);
  w.Int16(gds::kDatatype, 0);
  w.Int16s(gds::kXY, std::array<std::int16_t, 8>{0, 0, 10, 0, 10, 10, 0, 0});
  w.Empty(gds::kEndEl);
  // Good on layer 5, with a repeated LAYER stored as a real that must not be copied.
  w.Empty(gds::kBoundary);
  w.Int16(gds::kLayer, 5);
  w.Real(gds::kLayer, gds::Real8::FromDouble(3.0));
  w.Int16(gds::kDatatype, 0);
  w.Points(std::vector<Point>{{0, 0}, {10, 0}, {10, 10}, {0, 0}});
  w.Empty(gds::kEndEl);
  // Between elements: a library record, an unknown record and points of no element.
  w.String(gds::kRefLibs, std::string(44, 'R'));
  w.Int16(0x5A, 1);
  w.Points(std::vector<Point>{{1, 1}});
  w.Empty(gds::kSRef);
  w.String(gds::kSName, "A");
  w.Points(std::vector<Point>{{100, 100}});
  w.Empty(gds::kEndEl);
  mark("(TEXT) not written: TEXT without STRING");
  w.Empty(gds::kText);
  w.Int16(gds::kLayer, 6);
  w.Int16(gds::kTextType, 0);
  w.Points(std::vector<Point>{{0, 0}});
  w.Empty(gds::kEndEl);
  gds::WriteStructureEnd(w, top);
  gds::WriteLibraryEnd(w);
  EXPECT_TRUE(sink.Close());
  return bad;
}

// Every record of the file in the data type the format gives it, by our own record reader.
std::string MistypedRecords(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  gds::RecordReader reader(bytes.data(), bytes.size());
  gds::Record rec;
  std::string found;
  while (reader.Next(rec) == gds::RecordReader::Status::kRecord)
    if (rec.data_type != gds::ExpectedDataType(rec.type)) found += gds::RecordName(rec.type) + " ";
  return found;
}

class InvalidElements : public ::testing::Test {
 protected:
  InvalidElements() : bad_(WriteBadInput(in_)) {}

  // Runs `switches` on the bad input; checks the log and our reading of the output.
  Library Run(const std::string& switches, const std::string& out_name, bool flat = false) {
    const std::string out = dir_.File(out_name);
    outputs_.push_back(out);
    const EngineResult r = RunEngineText("\"" + in_ + "\" \"" + out + "\" \"TOP\" " + switches, dir_);
    EXPECT_GT(r.exit_code, 0) << r.log;
    EXPECT_LT(r.exit_code, 127) << r.log;
    EXPECT_NE(r.log.find("Warnings and errors: " + std::to_string(r.exit_code) + "\n"), std::string::npos) << r.log;
    for (const auto& [offset, words] : bad_.left_out)
      EXPECT_NE(r.log.find("element at offset " + std::to_string(offset) + " " + words), std::string::npos)
          << switches << ": no warning for offset " << offset << "\n" << r.log;
    if (!flat) {
      EXPECT_NE(r.log.find("REFLIBS at offset"), std::string::npos) << r.log;
    }
    EXPECT_EQ(MistypedRecords(out), "") << switches;
    Library lib = ReadLibrary(out);
    EXPECT_EQ(lib.error, "") << switches;
    return lib;
  }

  // The top structure as copied: the two good boundaries, the good array (COLROW 2 x 1) and
  // the good reference, each once and nothing else.
  static void ExpectGoodTop(const Library& lib, const std::string& switches) {
    const Structure* top = lib.Find("TOP");
    ASSERT_NE(top, nullptr) << switches;
    ASSERT_EQ(top->elements.size(), 4u) << switches;
    EXPECT_EQ(top->elements[0].layer, 2);
    EXPECT_EQ(top->elements[1].kind, gds::ElementKind::kARef);
    EXPECT_EQ(top->elements[1].colrow, (std::array<std::uint16_t, 2>{2, 1}));
    EXPECT_EQ(top->elements[2].layer, 5);
    EXPECT_EQ(top->elements[3].kind, gds::ElementKind::kSRef);
    for (const gds::Element& e : top->elements) EXPECT_TRUE(e.extra.empty()) << switches;
  }

  TempDir dir_;
  std::string in_ = dir_.File("bad.gds");
  BadInput bad_;
  std::vector<std::string> outputs_;
};

TEST_F(InvalidElements, CopiesOnEveryWayLeaveOutWhatCannotBeWrittenAndReadBackCleanly) {
  ExpectGoodTop(Run("", "copy.gds"), "copy");
  ExpectGoodTop(Run("-x -X -lyr7:8 -tmag:1000000.000000 -min:0.000000", "records.gds"), "record by record");
  ExpectGoodTop(Run("-unfold", "elements.gds"), "element by element");

  WriteText(dir_.File("korvex.lst"), dir_.File("copy.gds") + "\n");
  const Library merged = Run("-merge", "merged.gds");
  ExpectGoodTop(merged, "-merge");

  // Flattened: layers 2 and 5 once, A's layer-1 square under the 2 x 1 array and the reference.
  const Library flat = Run("-explode", "flat.gds", true);
  ASSERT_EQ(flat.Names(), std::vector<std::string>{"TOP"});
  const ShapeCounts counts = CountShapes(flat);
  EXPECT_EQ(counts, (ShapeCounts{{{0, 1, 0}, 3}, {{0, 2, 0}, 1}, {{0, 5, 0}, 1}}));

  const std::optional<std::string> refusals = KLayoutRefusals(outputs_, dir_);
  if (!refusals) GTEST_SKIP() << "KLayout is not installed";
  EXPECT_EQ(*refusals, "");
}

// A structure whose ENDSTR carries data would otherwise be copied as it stands.
TEST(StructureEnd, AnEndThatCarriesDataIsWrittenAnew) {
  TempDir dir;
  const std::string in = dir.File("in.gds"), out = dir.File("out.gds");
  gds::FileSink sink;
  ASSERT_TRUE(sink.Open(in));
  gds::RecordWriter w(sink);
  gds::testing::BeginLibraryAndStructure(w, "END", "TOP");
  Rect4(w, 1);
  const std::uint8_t data[] = {0, 0};
  w.Raw(gds::kEndStr, gds::kInt16, data);
  gds::WriteLibraryEnd(w);
  ASSERT_TRUE(sink.Close());
  RunEngineText("\"" + in + "\" \"" + out + "\" \"\"", dir);
  EXPECT_EQ(MistypedRecords(out), "");
  const Library lib = ReadLibrary(out);
  EXPECT_EQ(lib.error, "");
  ASSERT_NE(lib.Find("TOP"), nullptr);
  EXPECT_EQ(lib.Find("TOP")->elements.size(), 1u);
}

}  // namespace
}  // namespace korvex::enginetest
