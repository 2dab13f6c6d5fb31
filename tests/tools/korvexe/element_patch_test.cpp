// An element whose only change is its numbers is written as its own bytes with the new values
// in place; those bytes must be exactly what writing the changed element anew gives.
#include <gtest/gtest.h>

#include "gds/record_reader.h"
#include "gds/record_writer.h"
#include "gds/stream_writer.h"
#include "korvexe/element_check.h"

namespace korvex::engine {
namespace {

std::vector<std::uint8_t> Written(const gds::Element& e) {
  gds::MemorySink sink;
  gds::RecordWriter w(sink);
  gds::WriteElement(w, e);
  w.Flush();
  return sink.bytes;
}

ElementRecords Read(const std::vector<std::uint8_t>& bytes) {
  gds::RecordReader reader(bytes.data(), bytes.size());
  gds::Record start;
  gds::ElementKind kind = gds::ElementKind::kBoundary;
  EXPECT_EQ(reader.Next(start), gds::RecordReader::Status::kRecord);
  EXPECT_TRUE(gds::ElementKindOfStart(start.type, kind));
  gds::ElementGrammar grammar;
  return ReadElementRecords(reader, start, kind, grammar);
}

gds::Element Shape(gds::ElementKind kind) {
  gds::Element e;
  e.kind = kind;
  e.layer = 7;
  e.datatype = 3;
  e.xy = {{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}};
  if (kind == gds::ElementKind::kPath) {
    e.xy.resize(2);
    e.width = 40;
    e.pathtype = 2;
  }
  if (kind == gds::ElementKind::kText) {
    e.xy.resize(1);
    e.string = "LABEL";
  }
  e.properties.push_back({12, "on the element"});
  e.has_string = kind == gds::ElementKind::kText;
  return e;
}

TEST(ElementPatch, GivesTheBytesOfTheChangedElementWrittenAnew) {
  for (gds::ElementKind kind : {gds::ElementKind::kBoundary, gds::ElementKind::kPath, gds::ElementKind::kText,
                                gds::ElementKind::kBox, gds::ElementKind::kNode}) {
    SCOPED_TRACE(static_cast<int>(kind));
    const gds::Element e = Shape(kind);
    const std::vector<std::uint8_t> bytes = Written(e);
    const ElementRecords records = Read(bytes);
    ASSERT_TRUE(records.as_written);
    ShapeFields changed = records.fields;
    changed.layer = 65000;
    changed.datatype = 255;
    gds::Element expected = e;
    expected.layer = 65000;
    expected.datatype = 255;
    if (kind == gds::ElementKind::kPath) {
      changed.width = -70000;  // an absolute width, wider than 16 bits
      expected.width = -70000;
    }
    std::vector<std::uint8_t> patched;
    ASSERT_TRUE(PatchedElement(bytes.data(), 0, records, changed, patched));
    EXPECT_EQ(patched, Written(expected));
  }
}

TEST(ElementPatch, RefusesAValueTheElementHasNoRecordFor) {
  gds::Element e = Shape(gds::ElementKind::kPath);
  e.width.reset();
  const std::vector<std::uint8_t> bytes = Written(e);
  const ElementRecords records = Read(bytes);
  ShapeFields changed = records.fields;
  changed.width = 50;  // widened: a WIDTH record must be added
  std::vector<std::uint8_t> patched;
  EXPECT_FALSE(PatchedElement(bytes.data(), 0, records, changed, patched));
}

}  // namespace
}  // namespace korvex::engine
