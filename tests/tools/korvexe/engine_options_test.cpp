#include "korvexe/engine_options.h"

#include <gtest/gtest.h>

#include "core/job/engine_arguments.h"
#include "core/support/argument_text.h"

namespace korvex::engine {
namespace {

ParsedOptions ParseText(const std::string& text) { return ParseEngineArguments(SplitArgumentText(text)); }

JobSettings Job() {
  JobSettings s;
  s.InputFile = "/data/chip in.gds";
  s.OutputFile = "/data/chip_out.gds";
  s.WorkingDirectory = "/work dir";
  s.Prune = 0;
  s.LayerList = "1,5,63";
  s.DatatypeList = "0,1";
  return s;
}

TEST(EngineArguments, PlainTextOfTheFrontEndReadsBack) {
  JobSettings s = Job();
  s.LayerExclude = 1;
  s.Unfold = 1;
  s.LayerMap = "2-3:10-11,4:11";
  s.DatatypeMap = "0:7";
  s.MinWidth = 0.25;
  s.MaxText = 3;
  const ParsedOptions p = ParseText(BuildEngineArguments(s, "TOP%20CELL", true).text);
  ASSERT_TRUE(p.ok) << p.error;
  const EngineOptions& o = p.options;
  EXPECT_EQ(o.input, "/data/chip in.gds");
  EXPECT_EQ(o.top, "TOP%20CELL");
  ASSERT_TRUE(o.layers && o.datatypes);
  EXPECT_TRUE(o.layers->exclude);
  EXPECT_EQ(o.layers->list, "1,5,63");
  EXPECT_FALSE(o.datatypes->exclude);
  EXPECT_EQ(*o.layer_map, "2-3:10-11,4:11");
  EXPECT_EQ(*o.datatype_map, "0:7");
  EXPECT_EQ(*o.rename_path, "/work dir/korvex.smp");
  EXPECT_TRUE(o.unfold);
  EXPECT_FALSE(o.prune);
  EXPECT_DOUBLE_EQ(o.min_width, 0.25);
  EXPECT_DOUBLE_EQ(*o.max_text_mag, 3.0);
  EXPECT_EQ(o.merge, MergeMode::kNone);
}

TEST(EngineArguments, MergeWithCombineAndThreeFiles) {
  JobSettings s = Job();
  s.MergeMode = kMergeModeMerge;
  s.Combine = 1;
  s.NewTopStr = "NEW TOP";
  s.MergeFileList = "\"/a.gds\" \"/b c.gds\" \"/d.gds\"";
  const ParsedOptions p = ParseText(BuildEngineArguments(s, "TOP", false).text);
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.options.merge, MergeMode::kMerge);
  EXPECT_TRUE(p.options.combine);
  EXPECT_EQ(p.options.combine_name, "NEW TOP");  // the blank split it; the words are joined again
  EXPECT_EQ(p.options.combine_markers, 3);
  EXPECT_FALSE(p.options.layers);
}

TEST(EngineArguments, PolygonFilteringInDebugModeCarriesEveryLimit) {
  JobSettings s = Job();
  s.PFOn = 1;
  s.DebugMode = 1;
  s.MinExt = 0.5;
  s.MaxExt = 100;
  s.HWRatio = 4;
  s.AreaRatio = 2.5;
  s.MaxVertex = 64;
  s.PolyOff = 1234;
  s.VertCnt = 6;
  const ParsedOptions p = ParseText(BuildEngineArguments(s, "TOP", true).text);
  ASSERT_TRUE(p.ok) << p.error;
  const PolygonLimits& l = p.options.polygons;
  EXPECT_TRUE(p.options.explode && p.options.prune && !p.options.rename_path);
  EXPECT_DOUBLE_EQ(l.min_extent, 0.5);
  EXPECT_DOUBLE_EQ(l.max_extent, 100);
  EXPECT_DOUBLE_EQ(l.height_to_width, 4);
  EXPECT_DOUBLE_EQ(l.width_to_height, 0);
  EXPECT_DOUBLE_EQ(l.area_ratio, 2.5);
  EXPECT_EQ(l.max_vertices, 64);
  EXPECT_EQ(l.debug_offset, 1234);
  EXPECT_EQ(l.debug_vertices, 6);
}

// The front end never asks for a dry run; one asked for at the end of its text changes nothing else.
TEST(EngineArguments, DryRunComesOnlyFromItsOwnSwitch) {
  JobSettings plain = Job(), merge = Job(), polygons = Job();
  plain.LayerMap = "2-3:10-11";
  merge.MergeMode = kMergeModeAdd;
  merge.Combine = 1;
  merge.NewTopStr = "NEW";
  merge.MergeFileList = "\"/a.gds\"";
  polygons.PFOn = 1;
  polygons.MaxVertex = 8;
  for (JobSettings* s : {&plain, &merge, &polygons}) {
    const std::string text = BuildEngineArguments(*s, "TOP", true).text;
    EXPECT_EQ(text.find("-dryrun"), std::string::npos) << text;
    const ParsedOptions p = ParseText(text), dry = ParseText(text + " -dryrun");
    ASSERT_TRUE(p.ok && dry.ok) << text;
    EXPECT_FALSE(p.options.dry_run);
    EXPECT_TRUE(dry.options.dry_run);
    EXPECT_EQ(dry.options.merge, p.options.merge);
    EXPECT_EQ(dry.options.combine_markers, p.options.combine_markers);
    const auto list = [](const std::optional<ListSwitch>& l) { return l ? l->list : std::string("(none)"); };
    EXPECT_EQ(list(dry.options.layers), list(p.options.layers));
    EXPECT_EQ(list(dry.options.datatypes), list(p.options.datatypes));
    EXPECT_EQ(dry.options.layer_map, p.options.layer_map);
    EXPECT_EQ(dry.options.explode, p.options.explode);
    EXPECT_EQ(dry.options.polygons.max_vertices, p.options.polygons.max_vertices);
    EXPECT_EQ(dry.notes, p.notes);
  }
  // Not a piece of a list typed with blanks.
  const ParsedOptions p = ParseText("\"in.gds\" \"out.gds\" \"\" -i1, 2 -dryrun");
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.options.layers->list, "1,2");
  EXPECT_TRUE(p.options.dry_run);
}

TEST(EngineArguments, EmptyListsAndEmptyTop) {
  const ParsedOptions p = ParseText("\"in.gds\" \"out.gds\" \"\" -i -X -min:0.000000 -tmag:1000000.000000");
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.options.top, "");
  EXPECT_FALSE(p.options.layers->exclude);
  EXPECT_EQ(p.options.layers->list, "");
  EXPECT_TRUE(p.options.datatypes->exclude);
}

TEST(EngineArguments, ListTypedWithABlankIsJoinedAgain) {
  const ParsedOptions p = ParseText("\"in.gds\" \"out.gds\" \"\" -i1, 2 -I");
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.options.layers->list, "1,2");
  EXPECT_EQ(p.notes.size(), 1u);
}

TEST(EngineArguments, RefusalsNameTheCulprit) {
  EXPECT_EQ(ParseText("a b c -frobnicate").error, "unknown switch -frobnicate");
  EXPECT_EQ(ParseText("a b c -min:wide").error, "bad number in -min:wide");
  EXPECT_EQ(ParseText("a b c -maxvert:1.5").error, "bad whole number in -maxvert:1.5");
  EXPECT_EQ(ParseText("a b c stray").error, "unexpected argument 'stray'");
  EXPECT_FALSE(ParseText("a b c -merge -add").ok);
  EXPECT_FALSE(ParseText("a b c -rename").ok);
  EXPECT_FALSE(ParseText("a b c -combine = =").ok);
  EXPECT_FALSE(ParseText("a b").ok);
}

}  // namespace
}  // namespace korvex::engine
