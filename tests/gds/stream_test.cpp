#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <sys/stat.h>

#include "gds/mapped_file.h"
#include "gds/record_reader.h"
#include "gds/stream_reader.h"
#include "gds/stream_writer.h"
#include "gds/structure_index.h"
#include "generated_layout.h"
#include "test_bytes.h"

namespace korvex::gds {
namespace {

using testing::Hex;
using testing::MinimalLibrary;

struct Structure {
  StructureHeader header;
  std::vector<Element> elements;
};

struct Library {
  LibraryHeader header;
  std::vector<Structure> structures;
  Diagnostics diagnostics;
  bool saw_endlib = false;
};

void Read(const std::vector<std::uint8_t>& bytes, Library& lib) {
  StreamReader reader(bytes.data(), bytes.size(), lib.diagnostics);
  if (!reader.ReadLibraryHeader(lib.header)) return;
  while (reader.NextStructure()) {
    Structure s;
    Element e;
    while (reader.NextElement(e)) s.elements.push_back(e);
    s.header = reader.structure();
    lib.structures.push_back(std::move(s));
  }
  lib.saw_endlib = reader.saw_endlib();
}

std::vector<std::uint8_t> Write(const Library& lib) {
  MemorySink sink;
  RecordWriter w(sink);
  WriteLibraryHeader(w, lib.header);
  for (const Structure& s : lib.structures) {
    WriteStructureBegin(w, s.header);
    for (const Element& e : s.elements) WriteElement(w, e);
    WriteStructureEnd(w, s.header);
  }
  EXPECT_TRUE(WriteLibraryEnd(w)) << w.error();
  return sink.bytes;
}

// The records of every element, each element's records sorted (the writer may reorder them).
std::vector<std::vector<RawRecord>> ElementRecords(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::vector<RawRecord>> out;
  RecordReader r(bytes.data(), bytes.size());
  Record rec;
  bool inside = false;
  while (r.Next(rec) == RecordReader::Status::kRecord) {
    const bool start = rec.type == kBoundary || rec.type == kPath || rec.type == kSRef || rec.type == kARef ||
                       rec.type == kText || rec.type == kNode || rec.type == kBox;
    if (start) {
      out.emplace_back();
      inside = true;
    }
    if (inside) out.back().push_back({rec.type, rec.data_type, std::vector<std::uint8_t>(rec.data, rec.data + rec.size)});
    if (rec.type == kEndEl) inside = false;
  }
  for (auto& e : out) {
    std::stable_sort(e.begin(), e.end(), [](const RawRecord& a, const RawRecord& b) { return a.type < b.type; });
  }
  return out;
}

void ExpectSameContent(const Library& a, const Library& b) {
  EXPECT_EQ(a.header, b.header);
  ASSERT_EQ(a.structures.size(), b.structures.size());
  for (std::size_t i = 0; i < a.structures.size(); ++i) {
    const Structure& sa = a.structures[i];
    const Structure& sb = b.structures[i];
    EXPECT_TRUE(sa.header.SameContent(sb.header)) << sa.header.name;
    ASSERT_EQ(sa.elements.size(), sb.elements.size()) << sa.header.name;
    for (std::size_t k = 0; k < sa.elements.size(); ++k) {
      ASSERT_TRUE(sa.elements[k].SameContent(sb.elements[k])) << sa.header.name << " element " << k;
    }
  }
}

using testing::Generated;

TEST(StreamRoundTrip, GeneratedLayoutsComeBackByteForByte) {
  for (bool exotic : {false, true}) {
    for (std::uint64_t seed : {1, 2, 3}) {
      const auto bytes = Generated(seed, 300000, exotic);
      Library lib;
      Read(bytes, lib);
      EXPECT_FALSE(lib.diagnostics.failed());
      EXPECT_EQ(lib.diagnostics.warning_count(), 0u);
      EXPECT_TRUE(lib.saw_endlib);
      EXPECT_GE(lib.structures.size(), 30u);
      const auto again = Write(lib);
      EXPECT_EQ(again, bytes) << "seed " << seed << (exotic ? " exotic" : "");
    }
  }
}

TEST(StreamRoundTrip, EveryThirdPartyFileKeepsItsStructuresAndElements) {
  const std::filesystem::path dir = KORVEX_SHARED_TESTDATA;
  if (!std::filesystem::is_directory(dir)) GTEST_SKIP() << "no third-party layouts at " << dir;
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() != ".gds") continue;
    SCOPED_TRACE(entry.path().filename().string());
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Library lib;
    Read(bytes, lib);
    ASSERT_FALSE(lib.diagnostics.failed()) << lib.diagnostics.fatal()->Text();
    const auto again = Write(lib);
    Library lib2;
    Read(again, lib2);
    EXPECT_FALSE(lib2.diagnostics.failed());
    ExpectSameContent(lib, lib2);
    const auto before = ElementRecords(bytes);
    const auto after = ElementRecords(again);
    ASSERT_EQ(before.size(), after.size());
    for (std::size_t i = 0; i < before.size(); ++i) ASSERT_EQ(before[i], after[i]) << "element " << i;
    ++files;
  }
  EXPECT_GT(files, 0);
}

TEST(StreamReader, ReadsTheMinimalLibrary) {
  Library lib;
  Read(MinimalLibrary(), lib);
  EXPECT_EQ(lib.header.version, 600);
  EXPECT_EQ(lib.header.name, "LIB");
  EXPECT_EQ(lib.header.DbuPerUserUnit(), 1000);
  EXPECT_DOUBLE_EQ(lib.header.MetresPerUserUnit(), 1e-6);
  ASSERT_EQ(lib.structures.size(), 1u);
  EXPECT_EQ(lib.structures[0].header.name, "TOP");
  ASSERT_EQ(lib.structures[0].elements.size(), 1u);
  const Element& e = lib.structures[0].elements[0];
  EXPECT_EQ(e.kind, ElementKind::kBoundary);
  EXPECT_EQ(e.layer, 1);
  EXPECT_EQ(e.datatype, 0);
  EXPECT_EQ(e.xy.size(), 5u);
  EXPECT_EQ(e.offset, 0x62u);
  EXPECT_EQ(lib.diagnostics.warning_count(), 0u);
}

TEST(StreamReader, WarnsAboutAMissingEndlibAndKeepsTheStructures) {
  auto bytes = MinimalLibrary();
  bytes.resize(bytes.size() - 4);
  Library lib;
  Read(bytes, lib);
  EXPECT_FALSE(lib.diagnostics.failed());
  EXPECT_EQ(lib.diagnostics.counts().count("missing ENDLIB"), 1u);
  EXPECT_EQ(lib.structures.size(), 1u);
}

TEST(StreamReader, ToleratesAnOddLengthAndAMissingEndel) {
  auto bytes = MinimalLibrary();
  // STRNAME "TOP" with length 7 and no pad byte.
  bytes.erase(bytes.begin() + 0x61);
  bytes[0x5B] = 0x07;
  // Remove ENDEL (now at 0x9D).
  bytes.erase(bytes.begin() + 0x9D, bytes.begin() + 0xA1);
  Library lib;
  Read(bytes, lib);
  EXPECT_FALSE(lib.diagnostics.failed());
  EXPECT_EQ(lib.diagnostics.counts().count("odd record length"), 1u);
  EXPECT_EQ(lib.diagnostics.counts().count("missing ENDEL"), 1u);
  ASSERT_EQ(lib.structures.size(), 1u);
  EXPECT_EQ(lib.structures[0].header.name, "TOP");
  EXPECT_EQ(lib.structures[0].elements.size(), 1u);
}

TEST(StreamReader, FailsOnATruncatedRecordWithOffsetRecordAndStructure) {
  auto bytes = MinimalLibrary();
  bytes.resize(0x90);
  Library lib;
  Read(bytes, lib);
  ASSERT_TRUE(lib.diagnostics.failed());
  EXPECT_EQ(lib.diagnostics.fatal()->Text(), "offset 114: XY in structure TOP: truncated record");
}

TEST(StreamReader, RefusesWhatIsNotAStream) {
  for (const auto& bytes : {std::vector<std::uint8_t>{}, Hex("1F 8B 08 00"), Hex("00 06"), Hex("12 34 56 78 9A")}) {
    Library lib;
    Read(bytes, lib);
    EXPECT_TRUE(lib.diagnostics.failed());
  }
  EXPECT_EQ(CheckSignature(nullptr, 0), "empty file, not GDSII");
  const auto gz = Hex("1F 8B 08 00");
  EXPECT_EQ(CheckSignature(gz.data(), gz.size()), "gzip-compressed file, not GDSII");
}

TEST(StreamReader, ReadsUnknownRecordsAndKeepsStructureProperties) {
  MemorySink sink;
  {
    RecordWriter w(sink);
    LibraryHeader lib;
    lib.name = "L";
    lib.extra.push_back({kGenerations, kInt16, {0, 3}});
    WriteLibraryHeader(w, lib);
    StructureHeader s;
    s.name = "A";
    s.trailing.push_back({kPropAttr, kInt16, {0, 1}});
    s.trailing.push_back({kPropValue, kAscii, {'v', 0}});
    WriteStructureBegin(w, s);
    w.Empty(kText);
    w.Int16(kLayer, 2);
    w.Int16(kTextType, 3);
    w.Points(std::vector<Point>{{5, 6}});
    w.String(kString, "hello");
    w.Int16(0x5A, 0x0102);
    w.Int16(kPropAttr, 7);
    w.String(kPropValue, "seven");
    w.Empty(kEndEl);
    WriteStructureEnd(w, s);
    WriteLibraryEnd(w);
  }
  Library lib;
  Read(sink.bytes, lib);
  ASSERT_EQ(lib.structures.size(), 1u);
  EXPECT_EQ(lib.header.extra.size(), 1u);
  EXPECT_EQ(lib.structures[0].header.trailing.size(), 2u);
  ASSERT_EQ(lib.structures[0].elements.size(), 1u);
  const Element& e = lib.structures[0].elements[0];
  EXPECT_EQ(e.extra.size(), 1u);
  EXPECT_EQ(e.properties, (std::vector<Property>{{7, "seven"}}));
  // Written back without the unknown record (6 bytes), which no reader would take.
  const std::vector<std::uint8_t> again = Write(lib);
  EXPECT_EQ(again.size() + 6, sink.bytes.size());
  Library reread;
  Read(again, reread);
  ASSERT_EQ(reread.structures.size(), 1u);
  ASSERT_EQ(reread.structures[0].elements.size(), 1u);
  EXPECT_TRUE(reread.structures[0].elements[0].extra.empty());
  EXPECT_EQ(reread.structures[0].elements[0].properties, e.properties);
}

TEST(StructureIndex, FindsEachStructureForRandomAccess) {
  const auto bytes = Generated(8, 200000, false);
  Library lib;
  Read(bytes, lib);
  Diagnostics diagnostics;
  StructureIndex index;
  index.Build(bytes.data(), bytes.size(), diagnostics);
  EXPECT_FALSE(diagnostics.failed());
  ASSERT_EQ(index.entries().size(), lib.structures.size());
  // Read the structures back to front through the index.
  StreamReader reader(bytes.data(), bytes.size(), diagnostics);
  for (std::size_t i = lib.structures.size(); i-- > 0;) {
    const Structure& expected = lib.structures[i];
    const auto found = index.Find(expected.header.name);
    ASSERT_EQ(found, i);
    EXPECT_EQ(index.entries()[i].offset, expected.header.offset);
    reader.Seek(index.entries()[i].offset);
    ASSERT_TRUE(reader.NextStructure());
    EXPECT_EQ(reader.structure().name, expected.header.name);
    Element e;
    std::size_t k = 0;
    while (reader.NextElement(e)) ASSERT_TRUE(e.SameContent(expected.elements[k++]));
    EXPECT_EQ(k, expected.elements.size());
    EXPECT_EQ(reader.offset(), index.entries()[i].end);
  }
  EXPECT_FALSE(index.Find("NO_SUCH_STRUCTURE"));
}

TEST(MappedFile, MapsAFileAndReportsAMissingOne) {
  const auto path = std::filesystem::temp_directory_path() / "korvex_mapped_file_test.gds";
  {
    std::ofstream out(path, std::ios::binary);
    const auto bytes = MinimalLibrary();
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  MappedFile f;
  ASSERT_TRUE(f.Open(path.string()));
  EXPECT_EQ(f.size(), 170u);
  EXPECT_EQ(std::vector<std::uint8_t>(f.data(), f.data() + f.size()), MinimalLibrary());
  f.Release(0, 170);
  EXPECT_EQ(f.data()[0x5E], 'T');  // released pages read back from the file
  std::filesystem::remove(path);
  MappedFile missing;
  EXPECT_FALSE(missing.Open(path.string()));
  EXPECT_FALSE(missing.error().empty());
}

// Every companion opens its input here: a FIFO must not hold the open, a device must not be
// read forever, and neither may be mistaken for an empty layout.
TEST(MappedFile, RefusesWhatIsNotARegularFileAtOnce) {
  const auto dir = std::filesystem::temp_directory_path() / "korvex_mapped_file_kinds";
  std::filesystem::create_directories(dir);
  const std::string fifo = (dir / "pipe.gds").string();
  std::filesystem::remove(fifo);
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::pair<std::string, std::string> refused[] = {
      {fifo, "not a regular file"}, {"/dev/zero", "not a regular file"}, {dir.string(), "is a directory"}};
  for (const auto& [path, why] : refused) {
    MappedFile f;
    EXPECT_FALSE(f.Open(path)) << path;
    EXPECT_EQ(f.error(), why) << path;
    EXPECT_EQ(f.size(), 0u) << path;
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace korvex::gds
