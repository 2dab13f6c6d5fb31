// gzip streams inflated and deflated by both codecs, checked against each other and against
// the gzip program, and opened as layouts without leaving a file behind.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "gds/gzip_stream.h"
#include "gds/layout_file.h"
#include "generated_layout.h"

namespace korvex::gds {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// Bytes that compress like a layout: records that repeat with small changes.
Bytes SampleBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  Bytes out;
  out.reserve(size);
  while (out.size() < size) {
    const std::uint8_t record[] = {0, 12, 0x10, 3, 0, 0, static_cast<std::uint8_t>(random() % 7), 0, 0, 0,
                                   static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random())};
    out.insert(out.end(), std::begin(record), std::end(record));
  }
  out.resize(size);
  return out;
}

Bytes ReadAll(int fd) {
  Bytes out;
  ::lseek(fd, 0, SEEK_SET);
  std::uint8_t block[65536];
  for (ssize_t n; (n = ::read(fd, block, sizeof block)) > 0;) out.insert(out.end(), block, block + n);
  return out;
}

int FileWith(const Bytes& bytes) {
  const int fd = CreateUnnamedFile(TemporaryFolder());
  EXPECT_GE(fd, 0);
  EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  return fd;
}

Bytes Deflate(const Bytes& plain, Codec codec) {
  const int in = FileWith(plain), out = CreateUnnamedFile(TemporaryFolder());
  const GzipResult result = DeflateFile(in, plain.size(), out, codec);
  EXPECT_TRUE(result.ok) << result.error;
  Bytes packed = ReadAll(out);
  EXPECT_EQ(result.written, packed.size());
  ::close(in);
  ::close(out);
  return packed;
}

GzipResult Inflate(const Bytes& packed, Codec codec, Bytes& plain) {
  const int out = CreateUnnamedFile(TemporaryFolder());
  const GzipResult result = InflateToFile(packed.data(), packed.size(), out, codec);
  plain = ReadAll(out);
  ::close(out);
  return result;
}

std::vector<Codec> Codecs() {
  std::vector<Codec> codecs{Codec::kZlib};
  if (HasCodec(Codec::kIsal)) codecs.push_back(Codec::kIsal);
  return codecs;
}

TEST(Gzip, EachCodecReadsWhatEitherWrote) {
  // Larger than one work block, so that the streaming loops go round.
  const Bytes plain = SampleBytes(5u << 20, 1);
  for (Codec writer : Codecs()) {
    const Bytes packed = Deflate(plain, writer);
    ASSERT_TRUE(IsGzip(packed.data(), packed.size()));
    EXPECT_LT(packed.size(), plain.size() / 2) << CodecName(writer);
    for (Codec reader : Codecs()) {
      Bytes back;
      const GzipResult result = Inflate(packed, reader, back);
      EXPECT_TRUE(result.ok) << CodecName(writer) << " -> " << CodecName(reader) << ": " << result.error;
      EXPECT_EQ(result.written, plain.size());
      EXPECT_TRUE(back == plain) << CodecName(writer) << " -> " << CodecName(reader);
    }
  }
}

TEST(Gzip, MembersFollowOneAnotherAndZeroPaddingEndsTheStream) {
  const Bytes first = SampleBytes(100000, 2), second = SampleBytes(5000, 3);
  Bytes packed = Deflate(first, Codec::kZlib);
  const Bytes more = Deflate(second, DefaultCodec());
  packed.insert(packed.end(), more.begin(), more.end());
  packed.insert(packed.end(), 512, 0);  // as tape archivers pad
  Bytes joined = first;
  joined.insert(joined.end(), second.begin(), second.end());
  for (Codec codec : Codecs()) {
    Bytes back;
    const GzipResult result = Inflate(packed, codec, back);
    EXPECT_TRUE(result.ok) << CodecName(codec) << ": " << result.error;
    EXPECT_TRUE(back == joined) << CodecName(codec);
  }
}

TEST(Gzip, DamageIsRefusedWithItsOffset) {
  const Bytes plain = SampleBytes(2u << 20, 4);
  const Bytes packed = Deflate(plain, Codec::kZlib);
  Bytes cut(packed.begin(), packed.begin() + packed.size() / 2);
  Bytes flipped = packed;
  for (std::size_t i = 100; i < 200; ++i) flipped[i] ^= 0x5A;
  Bytes trailing = packed;
  trailing.push_back('x');
  for (Codec codec : Codecs()) {
    Bytes back;
    GzipResult result = Inflate(cut, codec, back);
    EXPECT_FALSE(result.ok) << CodecName(codec);
    EXPECT_EQ(result.error, "gzip stream cut short at byte " + std::to_string(cut.size()) + " of the gzip stream");
    result = Inflate(flipped, codec, back);
    EXPECT_FALSE(result.ok) << CodecName(codec);
    EXPECT_NE(result.error.find(" at byte "), std::string::npos) << result.error;
    result = Inflate(trailing, codec, back);
    EXPECT_FALSE(result.ok) << CodecName(codec);
    EXPECT_EQ(result.error, "data that is not gzip at byte " + std::to_string(packed.size()) + " of the gzip stream");
  }
}

TEST(Gzip, InflatingStopsAtItsLimit) {
  // A small file can stand for a huge one; the limit keeps it from filling the disk.
  const Bytes zeros(6u << 20, 0);
  const Bytes packed = Deflate(zeros, DefaultCodec());
  ASSERT_LT(packed.size(), 64u << 10);
  for (Codec codec : Codecs()) {
    const int out = CreateUnnamedFile(TemporaryFolder());
    const GzipResult result = InflateToFile(packed.data(), packed.size(), out, codec, {}, 1u << 20);
    EXPECT_FALSE(result.ok) << CodecName(codec);
    EXPECT_EQ(result.error, "cannot write the decompressed layout: No space left on device");
    EXPECT_EQ(ReadAll(out).size(), 0u) << "nothing beyond the limit is written";
    ::close(out);
  }
}

TEST(Gzip, ProgressCanStopTheWork) {
  const Bytes plain = SampleBytes(12u << 20, 5);
  const Bytes packed = Deflate(plain, DefaultCodec());
  for (Codec codec : Codecs()) {
    std::uint64_t last = 0;
    int calls = 0;
    const int out = CreateUnnamedFile(TemporaryFolder());
    const GzipResult result = InflateToFile(packed.data(), packed.size(), out, codec, [&](std::uint64_t done, std::uint64_t total) {
      EXPECT_EQ(total, packed.size());
      EXPECT_GE(done, last);
      last = done;
      return ++calls < 2;
    });
    ::close(out);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "stopped");
    EXPECT_EQ(calls, 2);
  }
}

class LayoutFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("korvex-gzip-" + std::to_string(::getpid()));
    fs::create_directories(dir_ / "tmp");
    const char* old = std::getenv("TMPDIR");
    old_tmpdir_ = old ? old : "";
    had_tmpdir_ = old != nullptr;
    ::setenv("TMPDIR", (dir_ / "tmp").c_str(), 1);
  }
  void TearDown() override {
    if (had_tmpdir_) ::setenv("TMPDIR", old_tmpdir_.c_str(), 1);
    else ::unsetenv("TMPDIR");
    fs::remove_all(dir_);
  }
  fs::path Write(const std::string& name, const Bytes& bytes) {
    std::ofstream(dir_ / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return dir_ / name;
  }
  fs::path dir_;
  std::string old_tmpdir_;
  bool had_tmpdir_ = false;
};

TEST_F(LayoutFileTest, ACompressedLayoutIsToldByItsBytesAndLeavesNoFileBehind) {
  const Bytes plain = testing::Generated(7, 300000, false);
  const Bytes packed = Deflate(plain, Codec::kZlib);
  // Under a plain name, as some vendors ship them.
  for (const fs::path& path : {Write("chip.gds.gz", packed), Write("chip.gds", packed)}) {
    MappedFile file;
    LayoutFileInfo info;
    std::string error;
    ASSERT_TRUE(OpenLayoutFile(path.string(), file, info, error)) << error;
    EXPECT_TRUE(info.compressed);
    EXPECT_EQ(info.stored_size, packed.size());
    ASSERT_EQ(file.size(), plain.size());
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), file.data()));
    EXPECT_GE(file.descriptor(), 0);
    // The inflated bytes have no name, even while they are in use.
    EXPECT_TRUE(fs::is_empty(dir_ / "tmp"));
  }
  const fs::path plain_path = Write("plain.gds", plain);
  MappedFile file;
  LayoutFileInfo info;
  std::string error;
  ASSERT_TRUE(OpenLayoutFile(plain_path.string(), file, info, error)) << error;
  EXPECT_FALSE(info.compressed);
  EXPECT_EQ(info.stored_size, plain.size());
}

TEST_F(LayoutFileTest, ADamagedOrUnwritableInflationSaysWhy) {
  const Bytes packed = Deflate(SampleBytes(1u << 20, 6), Codec::kZlib);
  const fs::path cut = Write("cut.gds.gz", Bytes(packed.begin(), packed.begin() + 1000));
  MappedFile file;
  LayoutFileInfo info;
  std::string error;
  EXPECT_FALSE(OpenLayoutFile(cut.string(), file, info, error));
  EXPECT_EQ(error, "gzip stream cut short at byte 1000 of the gzip stream");
  EXPECT_EQ(file.data(), nullptr);
  ::setenv("TMPDIR", (dir_ / "missing").c_str(), 1);
  EXPECT_FALSE(OpenLayoutFile(Write("whole.gds.gz", packed).string(), file, info, error));
  EXPECT_EQ(error.rfind("cannot create a temporary file in " + (dir_ / "missing").string(), 0), 0u) << error;
}

}  // namespace
}  // namespace korvex::gds
