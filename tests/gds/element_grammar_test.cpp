// The element grammar itself, and the scanner's summary and the element reader reading one
// file that breaks it in every way alike.
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>
#include <vector>

#include "gds/element_grammar.h"
#include "gds/hierarchy.h"
#include "gds/layout_summary.h"
#include "gds/stream_reader.h"
#include "odd_records.h"
#include "test_bytes.h"

namespace korvex::gds {
namespace {

// A record with `size` zero bytes of payload.
Record Rec(std::uint8_t type, std::uint8_t data_type, std::size_t size) {
  static const std::vector<std::uint8_t> zeros(64, 0);
  return Record{0, type, data_type, zeros.data(), size};
}

ElementRole RoleOf(ElementGrammar& g, const Record& r) { return g.Classify(r).role; }

TEST(ElementGrammar, TheFirstUsableValueWinsAndLaterOnesAreRepeats) {
  ElementGrammar g;
  g.Start(ElementKind::kBoundary);
  EXPECT_EQ(RoleOf(g, Rec(kLayer, kReal8, 8)), ElementRole::kDamaged);  // never read, so not "first"
  EXPECT_EQ(RoleOf(g, Rec(kLayer, kInt16, 0)), ElementRole::kDamaged);
  EXPECT_EQ(RoleOf(g, Rec(kLayer, kInt32, 4)), ElementRole::kValue);  // a 4-byte layer number is usable
  const ElementVerdict again = g.Classify(Rec(kLayer, kInt16, 2));
  EXPECT_EQ(again.role, ElementRole::kDuplicate);
  EXPECT_STREQ(ElementNoteText(again.note), "repeated record not used, the first one counts");
  EXPECT_EQ(RoleOf(g, Rec(kDatatype, kBitArray, 2)), ElementRole::kValue);  // same two bytes
  EXPECT_EQ(RoleOf(g, Rec(kElFlags, kInt16, 2)), ElementRole::kValue);
  EXPECT_EQ(RoleOf(g, Rec(kPlex, kInt16, 2)), ElementRole::kDamaged);  // a 4-byte value in 2 bytes

  const ElementVerdict longer = g.Classify(Rec(kPlex, kInt32, 8));
  EXPECT_EQ(longer.role, ElementRole::kValue);
  EXPECT_EQ(longer.note, ElementNote::kTooLong);

  g.Start(ElementKind::kBoundary);  // a new element forgets what the last one took
  EXPECT_EQ(RoleOf(g, Rec(kLayer, kInt16, 2)), ElementRole::kValue);
}

TEST(ElementGrammar, FurtherXyRecordsJoinAndBrokenOnesAreNotRead) {
  ElementGrammar g;
  g.Start(ElementKind::kPath);
  EXPECT_EQ(RoleOf(g, Rec(kXY, kInt16, 16)), ElementRole::kDamaged);
  EXPECT_EQ(RoleOf(g, Rec(kXY, kInt32, 4)), ElementRole::kDamaged);  // less than one point
  EXPECT_EQ(RoleOf(g, Rec(kXY, kInt32, 16)), ElementRole::kValue);
  const ElementVerdict more = g.Classify(Rec(kXY, kInt32, 8));
  EXPECT_EQ(more.role, ElementRole::kMoreXY);
  EXPECT_EQ(more.note, ElementNote::kMoreXY);
  const ElementVerdict partial = g.Classify(Rec(kXY, kInt32, 12));
  EXPECT_EQ(partial.role, ElementRole::kMoreXY);
  EXPECT_EQ(partial.note, ElementNote::kPartialPoint);
}

TEST(ElementGrammar, EachKindCarriesItsOwnRecords) {
  struct Case {
    ElementKind kind;
    std::uint8_t type;
    std::uint8_t data_type;
    std::size_t size;
    ElementRole role;
  };
  const Case cases[] = {
      {ElementKind::kSRef, kLayer, kInt16, 2, ElementRole::kOutOfPlace},
      {ElementKind::kSRef, kSName, kAscii, 4, ElementRole::kValue},
      {ElementKind::kSRef, kColRow, kInt16, 4, ElementRole::kOutOfPlace},
      {ElementKind::kARef, kColRow, kInt16, 4, ElementRole::kValue},
      {ElementKind::kBoundary, kWidth, kInt32, 4, ElementRole::kOutOfPlace},
      {ElementKind::kBoundary, kTextType, kInt16, 2, ElementRole::kOutOfPlace},
      {ElementKind::kText, kDatatype, kInt16, 2, ElementRole::kOutOfPlace},
      {ElementKind::kText, kTextType, kInt16, 2, ElementRole::kValue},
      {ElementKind::kText, kWidth, kInt32, 4, ElementRole::kValue},
      {ElementKind::kText, kMag, kReal8, 8, ElementRole::kValue},
      {ElementKind::kText, kMag, kInt32, 8, ElementRole::kDamaged},
      {ElementKind::kPath, kBgnExtn, kInt32, 4, ElementRole::kValue},
      {ElementKind::kNode, kNodeType, kInt16, 2, ElementRole::kValue},
      {ElementKind::kBox, kBoxType, kInt16, 2, ElementRole::kValue},
      {ElementKind::kBox, kStrName, kAscii, 4, ElementRole::kOutOfPlace},
      {ElementKind::kBox, 0x5A, kInt16, 2, ElementRole::kUnknown},
      {ElementKind::kBox, 0xFF, kNoData, 0, ElementRole::kUnknown},
      {ElementKind::kBox, kEndEl, kNoData, 0, ElementRole::kEnd},
      {ElementKind::kBox, kBoundary, kNoData, 0, ElementRole::kCutOff},
      {ElementKind::kBox, kEndStr, kNoData, 0, ElementRole::kCutOff},
      {ElementKind::kBox, kPropValue, kAscii, 2, ElementRole::kOutOfPlace},  // no PROPATTR before it
  };
  ElementGrammar g;
  for (const Case& c : cases) {
    g.Start(c.kind);
    EXPECT_EQ(RoleOf(g, Rec(c.type, c.data_type, c.size)), c.role)
        << ElementKindName(c.kind) << " " << RecordName(c.type);
  }
  g.Start(ElementKind::kBoundary);
  EXPECT_EQ(RoleOf(g, Rec(kPropAttr, kInt16, 2)), ElementRole::kProperty);
  EXPECT_EQ(RoleOf(g, Rec(kPropValue, kAscii, 2)), ElementRole::kProperty);
  EXPECT_EQ(RoleOf(g, Rec(kPropValue, kAscii, 2)), ElementRole::kOutOfPlace);
}

struct ReadBack {
  Diagnostics diagnostics;
  std::vector<Element> elements;
};

ReadBack ReadElements(const std::vector<std::uint8_t>& bytes) {
  ReadBack r;
  StreamReader reader(bytes.data(), bytes.size(), r.diagnostics);
  LibraryHeader header;
  reader.ReadLibraryHeader(header);
  while (reader.NextStructure()) {
    Element e;
    while (reader.NextElement(e)) r.elements.push_back(e);
  }
  return r;
}

std::size_t Count(const Diagnostics& d, ElementNote note) {
  const auto it = d.counts().find(ElementNoteText(note));
  return it == d.counts().end() ? 0 : it->second;
}

TEST(ElementGrammar, TheSummaryAndTheElementReaderReadOneOddFileAlike) {
  const std::vector<std::uint8_t> bytes = testing::OddRecordsLibrary();

  Diagnostics diagnostics;
  LayoutSummary summary;
  ASSERT_TRUE(Summarize(bytes.data(), bytes.size(), diagnostics, summary));
  EXPECT_EQ(summary.layers.Values(), (std::vector<std::uint16_t>{5, 6}));
  EXPECT_EQ(summary.datatypes.Values(), (std::vector<std::uint16_t>{0, 2}));
  ASSERT_EQ(summary.listed.size(), 1u);
  const StructureSummary& odd = summary.structures[summary.listed[0]];
  EXPECT_EQ(odd.counts, (std::array<std::uint64_t, 7>{1, 1, 0, 0, 1, 0, 0}));
  // Both XY records of the boundary count; the path is 100 wide, not 5000.
  EXPECT_EQ(odd.local.min_x, -500);
  EXPECT_EQ(odd.local.max_x, 1000);
  EXPECT_EQ(odd.local.min_y, 0);
  EXPECT_EQ(odd.local.max_y, 3050);

  const ReadBack read = ReadElements(bytes);
  ASSERT_EQ(read.elements.size(), 3u);
  const Element& boundary = read.elements[0];
  EXPECT_EQ(boundary.layer, 5);
  EXPECT_EQ(boundary.datatype, 2);
  EXPECT_EQ(boundary.xy, (std::vector<Point>{{0, 0}, {1000, 0}, {1000, 1000}, {-500, 2000}, {0, 0}}));
  // The repeated, mistyped and unknown records are kept, in the order they came.
  ASSERT_EQ(boundary.extra.size(), 4u);
  EXPECT_EQ(boundary.extra[0].type, kLayer);
  EXPECT_EQ(boundary.extra[1].type, kDatatype);
  EXPECT_EQ(boundary.extra[2].data_type, kReal8);
  EXPECT_EQ(boundary.extra[3].type, 0x5A);
  EXPECT_EQ(read.elements[1].width, 100);
  EXPECT_DOUBLE_EQ(read.elements[2].magnification(), 1.0);

  for (const Diagnostics* d : {&std::as_const(diagnostics), &read.diagnostics}) {
    EXPECT_EQ(Count(*d, ElementNote::kDuplicate), testing::kOddRepeated);
    EXPECT_EQ(Count(*d, ElementNote::kWrongDataType), testing::kOddMistyped);
    EXPECT_EQ(Count(*d, ElementNote::kMoreXY), testing::kOddJoined);
    EXPECT_EQ(Count(*d, ElementNote::kUnknown), testing::kOddUnknown);
    EXPECT_EQ(d->warning_count(), testing::kOddRepeated + testing::kOddMistyped + testing::kOddJoined + testing::kOddUnknown);
  }
}

TEST(ElementGrammar, BothReadersEndAnElementAtAMissingEndelAndKeepItsValues) {
  // The square of the minimal library with LAYER repeated as 9 and its ENDEL left out.
  auto bytes = testing::MinimalLibrary();
  const std::vector<std::uint8_t> layer9 = {0x00, 0x06, kLayer, kInt16, 0x00, 0x09};
  bytes.erase(bytes.begin() + 0x9E, bytes.begin() + 0xA2);        // ENDEL
  bytes.insert(bytes.begin() + 0x6C, layer9.begin(), layer9.end());  // after the first LAYER
  Diagnostics diagnostics;
  LayoutSummary summary;
  ASSERT_TRUE(Summarize(bytes.data(), bytes.size(), diagnostics, summary));
  EXPECT_EQ(summary.layers.Values(), (std::vector<std::uint16_t>{1}));
  EXPECT_EQ(summary.structures[summary.listed[0]].counts[0], 1u);
  EXPECT_EQ(summary.structures[summary.listed[0]].local.max_x, 1000);
  const ReadBack read = ReadElements(bytes);
  ASSERT_EQ(read.elements.size(), 1u);
  EXPECT_EQ(read.elements[0].layer, 1);
  EXPECT_EQ(read.elements[0].xy.size(), 5u);
  for (const Diagnostics* d : {&std::as_const(diagnostics), &read.diagnostics}) {
    EXPECT_EQ(Count(*d, ElementNote::kMissingEndel), 1u);
    EXPECT_EQ(Count(*d, ElementNote::kDuplicate), 1u);
  }
}

}  // namespace
}  // namespace korvex::gds
