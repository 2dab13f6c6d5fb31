#include <gtest/gtest.h>

#include "gds/element.h"
#include "gds/record_reader.h"
#include "gds/record_writer.h"
#include "gds/stream_writer.h"
#include "test_bytes.h"

namespace korvex::gds {
namespace {

using testing::Hex;
using testing::MinimalLibrary;

std::vector<std::uint8_t> Written(const std::function<void(RecordWriter&)>& write) {
  MemorySink sink;
  {
    RecordWriter w(sink);
    write(w);
    EXPECT_TRUE(w.Flush());
  }
  return sink.bytes;
}

TEST(RecordWriter, PadsOddStringsWithOneNulAndLeavesEvenOnesAlone) {
  EXPECT_EQ(Written([](RecordWriter& w) { w.String(kStrName, "TOP"); }), Hex("00 08 06 06 54 4F 50 00"));
  EXPECT_EQ(Written([](RecordWriter& w) { w.String(kStrName, "AB"); }), Hex("00 06 06 06 41 42"));
  EXPECT_EQ(Written([](RecordWriter& w) { w.Int16(kHeader, 600); }), Hex("00 06 00 02 02 58"));
  EXPECT_EQ(Written([](RecordWriter& w) { w.BitArray(kSTrans, 0x8000); }), Hex("00 06 1A 01 80 00"));
  EXPECT_EQ(Written([](RecordWriter& w) {
              const Real8 u[2] = {Real8::FromDouble(1e-3), Real8::FromDouble(1e-9)};
              w.Reals(kUnits, u);
            }),
            Hex("00 14 03 05 3E 41 89 37 4B C6 A7 F0 39 44 B8 2F A0 9B 5A 54"));
}

TEST(RecordWriter, RefusesRecordsLongerThanTheLengthFieldAllows) {
  MemorySink sink;
  RecordWriter w(sink);
  EXPECT_FALSE(w.String(kString, std::string(65531, 'x')));
  EXPECT_FALSE(w.ok());
  EXPECT_NE(w.error().find("too long"), std::string::npos);
  RecordWriter w2(sink);
  EXPECT_FALSE(w2.Points(std::vector<Point>(8192)));
  RecordWriter w3(sink);
  EXPECT_TRUE(w3.Points(std::vector<Point>(8191)));
}

TEST(RecordWriter, WritesTheMinimalLibraryByteForByte) {
  const auto bytes = Written([](RecordWriter& w) {
    LibraryHeader lib;
    lib.dates = {2024, 1, 2, 3, 4, 5, 2024, 1, 2, 3, 4, 5};
    lib.name = "LIB";
    WriteLibraryHeader(w, lib);
    StructureHeader s;
    s.dates = lib.dates;
    s.name = "TOP";
    WriteStructureBegin(w, s);
    Element e;
    e.layer = 1;
    e.datatype = 0;
    e.xy = {{0, 0}, {0, 1000}, {1000, 1000}, {1000, 0}, {0, 0}};
    WriteElement(w, e);
    WriteStructureEnd(w, s);
    WriteLibraryEnd(w);
  });
  EXPECT_EQ(bytes, MinimalLibrary());
}

TEST(RecordWriter, PadsToTheBlockSize) {
  const auto bytes = Written([](RecordWriter& w) {
    w.Int16(kHeader, 600);
    WriteLibraryEnd(w, 2048);
  });
  ASSERT_EQ(bytes.size(), 2048u);
  EXPECT_EQ(bytes[6], 0);
}

struct Scan {
  std::vector<std::uint8_t> types;
  RecordReader::Status last;
  std::string error;
  std::uint64_t error_offset = 0;
};

Scan ReadAll(const std::vector<std::uint8_t>& bytes) {
  Scan s;
  RecordReader r(bytes.data(), bytes.size());
  Record rec;
  for (;;) {
    s.last = r.Next(rec);
    if (s.last != RecordReader::Status::kRecord) break;
    s.types.push_back(rec.type);
  }
  s.error = r.error();
  s.error_offset = r.error_offset();
  return s;
}

TEST(RecordReader, SplitsTheMinimalLibraryIntoItsThirteenRecords) {
  const Scan s = ReadAll(MinimalLibrary());
  EXPECT_EQ(s.last, RecordReader::Status::kEnd);
  EXPECT_EQ(s.types, (std::vector<std::uint8_t>{kHeader, kBgnLib, kLibName, kUnits, kBgnStr, kStrName, kBoundary,
                                                kLayer, kDatatype, kXY, kEndEl, kEndStr, kEndLib}));
}

TEST(RecordReader, TreatsTrailingZerosAsPadding) {
  auto bytes = MinimalLibrary();
  bytes.resize(2048, 0);
  EXPECT_EQ(ReadAll(bytes).last, RecordReader::Status::kEnd);
  EXPECT_EQ(ReadAll(bytes).types.size(), 13u);
}

TEST(RecordReader, StopsAtALengthBelowFourWithItsOffset) {
  auto bytes = Hex("00 06 00 02 02 58  00 02 01 02  00 04 04 00");
  const Scan s = ReadAll(bytes);
  EXPECT_EQ(s.last, RecordReader::Status::kError);
  EXPECT_EQ(s.error_offset, 6u);
  EXPECT_EQ(s.error, "record length below 4");
  bytes[7] = 0;  // length 0 with data after it is not padding
  EXPECT_EQ(ReadAll(bytes).last, RecordReader::Status::kError);
}

TEST(RecordReader, ReportsATruncatedRecord) {
  auto bytes = MinimalLibrary();
  bytes.resize(0x90);  // inside the XY record
  const Scan s = ReadAll(bytes);
  EXPECT_EQ(s.last, RecordReader::Status::kError);
  EXPECT_EQ(s.error, "truncated record");
  EXPECT_EQ(s.error_offset, 0x72u);
  bytes.resize(3);  // not even a header
  EXPECT_EQ(ReadAll(bytes).last, RecordReader::Status::kError);
}

TEST(RecordReader, HonoursAnOddLength) {
  // STRNAME "TOP" written with length 7 and no pad byte.
  const auto bytes = Hex("00 07 06 06 54 4F 50  00 04 07 00");
  RecordReader r(bytes.data(), bytes.size());
  Record rec;
  ASSERT_EQ(r.Next(rec), RecordReader::Status::kRecord);
  EXPECT_EQ(rec.Text(), "TOP");
  ASSERT_EQ(r.Next(rec), RecordReader::Status::kRecord);
  EXPECT_EQ(rec.type, kEndStr);
}

TEST(Record, ReadsLayersUnsignedAndOutOfRangeItemsAsZero) {
  const auto bytes = Hex("00 06 0D 02 9C 40");
  RecordReader r(bytes.data(), bytes.size());
  Record rec;
  ASSERT_EQ(r.Next(rec), RecordReader::Status::kRecord);
  EXPECT_EQ(rec.Number(), 40000);
  EXPECT_EQ(rec.Int16(0), -25536);
  EXPECT_EQ(rec.Int16(1), 0);
  EXPECT_EQ(rec.Int32(0), 0);
  EXPECT_EQ(RecordName(kXY), "XY");
  EXPECT_EQ(RecordName(0x5A), "RECORD 0x5A");
}

}  // namespace
}  // namespace korvex::gds
