// Opening files: which structure is shown, names as the front end passes them, bad files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "gds/mistyped_records.h"
#include "gds/odd_records.h"
#include "lumat/arguments.h"
#include "lumat/view_index.h"
#include "tools/lumat/layout_builder.h"

namespace korvex::lumat {
namespace {

using testing::LayoutBuilder;
using testing::TempPath;

std::string NameFound(const ViewIndex& index, const std::string& text) {
  std::uint32_t s = 0;
  std::string error;
  if (!index.FindStructure(text, s, error)) return "error: " + error;
  return index.NameOf(s);
}

TEST(ViewIndexTest, DefaultTopIsTheDeepestIndependentTreeTheLaterOnATie) {
  LayoutBuilder b;
  b.Structure("LEAF").Rect(1, 0, 0, 0, 10, 10);
  b.Structure("MID").SRef("LEAF", 0, 0);
  b.Structure("FIRST_TOP").SRef("MID", 0, 0);
  b.Structure("LONELY").Rect(1, 0, 0, 0, 10, 10);
  b.Structure("SECOND_TOP").SRef("MID", 100, 0);
  ViewIndex index;
  std::string error;
  ASSERT_TRUE(index.Open(b.Save("default_top"), error)) << error;
  ASSERT_TRUE(index.DefaultTop().has_value());
  EXPECT_EQ(index.NameOf(*index.DefaultTop()), "SECOND_TOP");
}

TEST(ViewIndexTest, EveryStructureInACycleStillGivesATop) {
  LayoutBuilder b;
  b.Structure("A").Rect(1, 0, 0, 0, 10, 10).SRef("B", 0, 0);
  b.Structure("B").SRef("A", 0, 0);
  ViewIndex index;
  std::string error;
  ASSERT_TRUE(index.Open(b.Save("cycle_only"), error)) << error;
  EXPECT_TRUE(index.DefaultTop().has_value());
  EXPECT_FALSE(index.warning().empty());
}

TEST(ViewIndexTest, FindsNamesInTheirEncodedAndShortenedForms) {
  const std::string long_a = "A_VERY_LONG_STRUCTURE_NAME_OF_MORE_THAN_34_ALPHA";
  const std::string long_b = "A_VERY_LONG_STRUCTURE_NAME_OF_MORE_THAN_34_BETA";
  const std::string unique = "UNIQUE_PREFIX_THAT_IS_EXACTLY_34_CHARS_AND_THEN_SOME";
  LayoutBuilder b;
  b.Structure("cell with (blanks)|bar").Rect(1, 0, 0, 0, 10, 10);
  b.Structure(long_a).Rect(1, 0, 0, 0, 10, 10);
  b.Structure(long_b).Rect(1, 0, 0, 0, 10, 10);
  b.Structure(unique).Rect(1, 0, 0, 0, 10, 10);
  ViewIndex index;
  std::string error;
  ASSERT_TRUE(index.Open(b.Save("names"), error)) << error;
  EXPECT_EQ(NameFound(index, "cell%20with%20%28blanks%29%7Cbar"), "cell with (blanks)|bar");
  EXPECT_EQ(NameFound(index, unique.substr(0, 34)), unique);
  EXPECT_EQ(NameFound(index, long_a), long_a);
  const std::string ambiguous = NameFound(index, long_a.substr(0, 34));
  EXPECT_NE(ambiguous.find("error:"), std::string::npos);
  EXPECT_NE(ambiguous.find(long_b), std::string::npos) << ambiguous;
  EXPECT_NE(NameFound(index, "NOT_THERE").find("error:"), std::string::npos);
}

TEST(ViewIndexTest, LayerListHoldsEveryPairIncludingTextTypes) {
  LayoutBuilder b;
  b.Structure("TOP").Rect(7, 3, 0, 0, 10, 10).Text(63, 5, 0, 0, "LABEL").Path(2, 9, 0, {{0, 0}, {5, 0}});
  ViewIndex index;
  std::string error;
  ASSERT_TRUE(index.Open(b.Save("pairs"), error)) << error;
  EXPECT_EQ(index.layers().keys(), (std::vector<LayerKey>{MakeLayerKey(2, 9), MakeLayerKey(7, 3), MakeLayerKey(63, 5)}));
  const ShapeTable* shapes = index.Shapes(*index.DefaultTop(), {});
  ASSERT_NE(shapes, nullptr);
  EXPECT_EQ(shapes->shapes.size(), 3u);
  EXPECT_EQ(shapes->labels.at(0).text, "LABEL");
}

TEST(ViewIndexTest, ACompressedLayoutShowsAsThePlainOne) {
  LayoutBuilder b;
  b.Structure("TOP").Rect(7, 3, 0, 0, 10, 10).Text(63, 5, 0, 0, "LABEL").Path(2, 9, 0, {{0, 0}, {5, 0}});
  const std::string plain = b.Save("packed"), packed = plain + ".gz";
  ASSERT_EQ(std::system(("gzip -c '" + plain + "' > '" + packed + "'").c_str()), 0);
  ViewIndex index;
  std::string error;
  ASSERT_TRUE(index.Open(packed, error)) << error;
  EXPECT_EQ(index.layers().keys(), (std::vector<LayerKey>{MakeLayerKey(2, 9), MakeLayerKey(7, 3), MakeLayerKey(63, 5)}));
  const ShapeTable* shapes = index.Shapes(*index.DefaultTop(), {});
  ASSERT_NE(shapes, nullptr);
  EXPECT_EQ(shapes->shapes.size(), 3u);
  // Cut short, it says where.
  ASSERT_EQ(std::system(("head -c 30 '" + plain + ".gz' > '" + plain + ".cut.gz'").c_str()), 0);
  ViewIndex cut;
  EXPECT_FALSE(cut.Open(plain + ".cut.gz", error));
  EXPECT_EQ(error, "gzip stream cut short at byte 30 of the gzip stream");
}

TEST(ViewIndexTest, OddElementRecordsAreReadAsTheScannerAndTheEngineReadThem) {
  // Repeated LAYER, DATATYPE, WIDTH and MAG records, a LAYER stored as a real, a boundary
  // whose points come in two XY records and an unknown record: see gds/odd_records.h.
  const std::string path = TempPath("odd_records.gds");
  gds::testing::WriteOddRecordsLibrary(path);
  ViewIndex index;
  std::string error;
  ASSERT_TRUE(index.Open(path, error)) << error;
  EXPECT_EQ(index.layers().keys(), (std::vector<LayerKey>{MakeLayerKey(5, 0), MakeLayerKey(5, 2), MakeLayerKey(6, 0)}));
  EXPECT_EQ(index.summary().layers.Values(), (std::vector<std::uint16_t>{5, 6}));
  const ShapeTable* shapes = index.Shapes(*index.DefaultTop(), {});
  ASSERT_NE(shapes, nullptr);
  ASSERT_EQ(shapes->shapes.size(), 3u);
  for (const Shape& s : shapes->shapes) {
    if (s.kind == ShapeKind::kPolygon) {  // the boundary, with the points of both XY records
      EXPECT_EQ(s.count, 4u);
      EXPECT_EQ(s.box.min_x, -500);
      EXPECT_EQ(s.box.max_y, 2000);
    } else if (s.kind == ShapeKind::kPath) {  // 100 wide, the first WIDTH
      EXPECT_EQ(s.box.min_y, 2950);
      EXPECT_EQ(s.box.max_y, 3050);
    } else {
      EXPECT_EQ(s.kind, ShapeKind::kText);
    }
    EXPECT_EQ(s.slot, *index.layers().SlotOf(s.kind == ShapeKind::kText ? MakeLayerKey(6, 0)
                                             : s.kind == ShapeKind::kPath ? MakeLayerKey(5, 0)
                                                                          : MakeLayerKey(5, 2)));
  }
  // The viewer's tree box is the scanner's.
  EXPECT_EQ(index.TreeBox(*index.DefaultTop()).min_x, -500);
  EXPECT_EQ(index.TreeBox(*index.DefaultTop()).max_y, 3050);
}

TEST(ViewIndexTest, MistypedRecordsAreReportedWithTheirOffsetAndNotDrawnFrom) {
  const std::string path = TempPath("mistyped_records.gds");
  const gds::testing::MistypedLibrary lib = gds::testing::WriteMistypedRecordsLibrary(path);
  ViewIndex index;
  std::string error;
  ASSERT_TRUE(index.Open(path, error)) << error;
  EXPECT_FALSE(index.broken());
  EXPECT_NE(index.warning().find("offset " + std::to_string(lib.real_layer) + ": LAYER in structure TOP: record of the wrong data type"),
            std::string::npos) << index.warning();
  const ShapeTable* shapes = index.Shapes(*index.DefaultTop(), {});
  ASSERT_NE(shapes, nullptr);
  ASSERT_EQ(shapes->shapes.size(), 1u);  // only the good square: no layer 16640, no short points
  EXPECT_EQ(shapes->shapes[0].slot, *index.layers().SlotOf(MakeLayerKey(1, 0)));
}

TEST(ViewIndexTest, TypeRecordBeforeTheLayerStillNamesThePair) {
  // The index and the shape reader both take the records in any order: a shape whose
  // DATATYPE comes before its LAYER is listed and drawn under its own pair.
  LayoutBuilder b;
  b.Structure("TOP").Rect(1, 0, 0, 0, 10, 10);
  const std::string path = b.Save("type_first");
  std::vector<char> bytes;
  {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  // LAYER 1 then DATATYPE 0 -> DATATYPE 4 then LAYER 3.
  const std::string pair = {0, 6, char(gds::kLayer), char(gds::kInt16), 0, 1, 0, 6, char(gds::kDatatype), char(gds::kInt16), 0, 0};
  const auto at = std::search(bytes.begin(), bytes.end(), pair.begin(), pair.end());
  ASSERT_NE(at, bytes.end());
  const std::string swapped = {0, 6, char(gds::kDatatype), char(gds::kInt16), 0, 4, 0, 6, char(gds::kLayer), char(gds::kInt16), 0, 3};
  std::copy(swapped.begin(), swapped.end(), at);
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ViewIndex index;
  std::string error;
  ASSERT_TRUE(index.Open(path, error)) << error;
  EXPECT_EQ(index.layers().keys(), (std::vector<LayerKey>{MakeLayerKey(3, 4)}));
  const ShapeTable* shapes = index.Shapes(*index.DefaultTop(), {});
  ASSERT_NE(shapes, nullptr);
  EXPECT_EQ(shapes->shapes.size(), 1u);
}

TEST(ViewIndexTest, EveryShapeTheReaderGivesHasItsPairListed) {
  // A structure with an empty name gets a made-up one; its own pair must still be listed, or
  // its shapes would be dropped as of an unknown layer.
  LayoutBuilder unnamed;
  unnamed.Structure("").Rect(9, 4, 0, 0, 10, 10);
  unnamed.Structure("TOP").Rect(1, 0, 0, 0, 10, 10);
  ViewIndex index;
  std::string error;
  ASSERT_TRUE(index.Open(unnamed.Save("unnamed_structure"), error)) << error;
  EXPECT_EQ(index.layers().keys(), (std::vector<LayerKey>{MakeLayerKey(1, 0), MakeLayerKey(9, 4)}));
  const std::uint32_t first = index.summary().listed.at(0);
  EXPECT_TRUE(index.summary().structures[first].unnamed);
  ASSERT_EQ(index.OwnSlots(first).size(), 1u);
  ASSERT_NE(index.Shapes(first, {}), nullptr);
  EXPECT_EQ(index.Shapes(first, {})->shapes.size(), 1u);

  // A last shape whose ENDEL the end of the file cuts off is still read, so its pair counts.
  LayoutBuilder cut;
  cut.Structure("TOP").Rect(1, 0, 0, 0, 10, 10).Rect(5, 5, 20, 20, 30, 30);
  const std::string path = cut.Save("cut_after_points");
  testing::DropTail(path, 12);  // ENDEL, ENDSTR, ENDLIB
  ViewIndex cut_index;
  ASSERT_TRUE(cut_index.Open(path, error)) << error;
  EXPECT_EQ(cut_index.layers().keys(), (std::vector<LayerKey>{MakeLayerKey(1, 0), MakeLayerKey(5, 5)}));
  ASSERT_NE(cut_index.Shapes(*cut_index.DefaultTop(), {}), nullptr);
  EXPECT_EQ(cut_index.Shapes(*cut_index.DefaultTop(), {})->shapes.size(), 2u);
}

TEST(LayerTableTest, SlotsFollowTheSortedPairsUpToTheLastLayerNumber) {
  LayerTable table;
  table.Assign({MakeLayerKey(65535, 65535), MakeLayerKey(0, 0), MakeLayerKey(7, 2), MakeLayerKey(7, 1),
                MakeLayerKey(7, 2), MakeLayerKey(65535, 0)});
  ASSERT_EQ(table.size(), 5u);
  EXPECT_EQ(table.SlotOf(MakeLayerKey(0, 0)), 0u);
  EXPECT_EQ(table.SlotOf(MakeLayerKey(7, 1)), 1u);
  EXPECT_EQ(table.SlotOf(MakeLayerKey(7, 2)), 2u);
  EXPECT_EQ(table.SlotOf(MakeLayerKey(65535, 0)), 3u);
  EXPECT_EQ(table.SlotOf(MakeLayerKey(65535, 65535)), 4u);
  EXPECT_FALSE(table.SlotOf(MakeLayerKey(7, 0)).has_value());
  EXPECT_FALSE(table.SlotOf(MakeLayerKey(8, 1)).has_value());
  EXPECT_FALSE(LayerTable().SlotOf(MakeLayerKey(1, 0)).has_value());
}

TEST(ViewIndexTest, FilesThatCannotBeShownSayWhy) {
  ViewIndex missing;
  std::string error;
  EXPECT_FALSE(missing.Open(TempPath("does_not_exist.gds"), error));
  EXPECT_FALSE(error.empty());

  const std::string text_file = TempPath("not_a_layout.gds");
  std::ofstream(text_file) << "this is plain text, not a stream\n";
  ViewIndex text;
  error.clear();
  EXPECT_FALSE(text.Open(text_file, error));
  EXPECT_NE(error.find("Not a GDSII stream"), std::string::npos) << error;

  ViewIndex unnamed;
  error.clear();
  EXPECT_FALSE(unnamed.Open("", error));
  EXPECT_FALSE(error.empty());

  LayoutBuilder empty;
  ViewIndex no_structures;
  error.clear();
  EXPECT_FALSE(no_structures.Open(empty.Save("empty_library"), error));
  EXPECT_NE(error.find("no structures"), std::string::npos) << error;
}

TEST(ViewIndexTest, TruncatedFileShowsWhatCameBeforeTheBreak) {
  LayoutBuilder b;
  b.Structure("FIRST").Rect(1, 0, 0, 0, 10, 10);
  b.Structure("SECOND").Rect(2, 0, 0, 0, 10, 10).Rect(2, 0, 20, 20, 30, 30);
  const std::string path = b.Save("truncated");
  testing::DropTail(path, 40);  // into the last boundary
  ViewIndex index;
  std::string error;
  ASSERT_TRUE(index.Open(path, error)) << error;
  EXPECT_NE(index.warning().find("offset"), std::string::npos) << index.warning();
  std::uint32_t first = 0;
  ASSERT_TRUE(index.FindStructure("FIRST", first, error));
  ASSERT_NE(index.Shapes(first, {}), nullptr);
  EXPECT_EQ(index.Shapes(first, {})->shapes.size(), 1u);
}

TEST(ViewerArgumentsTest, ReadsTheFrontEndsArgumentTexts) {
  const ViewerArguments input = ParseViewerArguments({"/data/chip.gds", "-title:Lumat", "-top:TOP%20A"});
  EXPECT_EQ(input.file, "/data/chip.gds");
  EXPECT_EQ(input.title, "Lumat");
  EXPECT_EQ(input.top, "TOP%20A");
  EXPECT_TRUE(input.ignored.empty());

  const ViewerArguments empty_top = ParseViewerArguments({"a.gds", "-title:Lumat", "-top:"});
  EXPECT_EQ(empty_top.top, "");

  // View GDS Output before any translation hands over an empty file name.
  const ViewerArguments no_output = ParseViewerArguments({"", "-title:Lumat"});
  EXPECT_TRUE(no_output.has_file);
  EXPECT_EQ(no_output.file, "");

  const ViewerArguments odd = ParseViewerArguments({"-TITLE:Big Window", "x.gds", "y.gds", "-zoom"});
  EXPECT_EQ(odd.title, "Big Window");
  EXPECT_EQ(odd.file, "x.gds");
  EXPECT_EQ(odd.ignored, (std::vector<std::string>{"y.gds", "-zoom"}));
}

}  // namespace
}  // namespace korvex::lumat
