#include "gds/gzip_stream.h"

#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>
#include <string_view>
#include <vector>

#ifdef KORVEX_HAVE_ISAL
#include <isa-l/igzip_lib.h>
#endif

#include "core/support/file_io.h"

namespace korvex::gds {
namespace {

constexpr std::size_t kChunk = 4u << 20;
// Neither library takes more than 32 bits of input at once.
constexpr std::size_t kMaxFeed = 1u << 30;

GzipResult Failure(std::string error) {
  GzipResult result;
  result.error = std::move(error);
  return result;
}

std::string AtOffset(std::string_view what, std::uint64_t offset) {
  return std::string(what).append(" at byte ").append(std::to_string(offset)).append(" of the gzip stream");
}

// Collects inflated bytes and hands them to the output in large writes.
class Sink {
 public:
  explicit Sink(int fd, std::uint64_t limit = UINT64_MAX) : fd_(fd), limit_(limit), buffer_(kChunk) {}
  std::uint8_t* free() { return buffer_.data() + used_; }
  std::size_t room() const { return buffer_.size() - used_; }
  // `n` more bytes were put at free(); flushes when full.
  bool Add(std::size_t n) {
    used_ += n;
    return used_ < buffer_.size() || Flush();
  }
  bool Flush() {
    if (written_ + used_ > limit_) {
      errno = ENOSPC;
      return false;
    }
    if (used_ > 0 && !WriteAll(fd_, std::string_view(reinterpret_cast<const char*>(buffer_.data()), used_)))
      return false;
    written_ += used_;
    used_ = 0;
    return true;
  }
  std::uint64_t written() const { return written_; }

 private:
  int fd_;
  std::uint64_t limit_;
  std::vector<std::uint8_t> buffer_;
  std::size_t used_ = 0;
  std::uint64_t written_ = 0;
};

std::string WriteError() { return std::string("cannot write the decompressed layout: ") + std::strerror(errno); }

// After the last member: padding of zeros is fine, anything else is not ours to drop silently.
std::size_t NextMember(const std::uint8_t* data, std::size_t size, std::size_t at) {
  while (at < size && data[at] == 0) ++at;
  return at;
}

#ifdef KORVEX_HAVE_ISAL
const char* IsalReason(int rc) {
  switch (rc) {
    case ISAL_INVALID_BLOCK: return "invalid deflate block";
    case ISAL_INVALID_SYMBOL: return "invalid deflate symbol";
    case ISAL_INVALID_LOOKBACK: return "invalid back reference";
    case ISAL_INVALID_WRAPPER: return "invalid gzip header";
    case ISAL_UNSUPPORTED_METHOD: return "unsupported compression method";
    case ISAL_INCORRECT_CHECKSUM: return "checksum mismatch";
    default: return "damaged gzip stream";
  }
}

GzipResult InflateIsal(const std::uint8_t* data, std::size_t size, Sink& sink, const ByteProgress& progress) {
  auto state = std::make_unique<inflate_state>();
  std::size_t at = 0;
  while (at < size) {
    if (!IsGzip(data + at, size - at)) return Failure(AtOffset("data that is not gzip", at));
    isal_inflate_init(state.get());
    state->crc_flag = ISAL_GZIP;
    std::size_t fed = at;
    state->next_in = const_cast<std::uint8_t*>(data + at);
    state->avail_in = 0;
    while (state->block_state != ISAL_BLOCK_FINISH) {
      if (state->avail_in == 0) {
        if (fed == size) return Failure(AtOffset("gzip stream cut short", size));
        const std::size_t n = std::min(size - fed, kMaxFeed);
        state->next_in = const_cast<std::uint8_t*>(data + fed);
        state->avail_in = static_cast<std::uint32_t>(n);
        fed += n;
      }
      state->next_out = sink.free();
      state->avail_out = static_cast<std::uint32_t>(sink.room());
      const std::size_t before = sink.room();
      const int rc = isal_inflate(state.get());
      const std::size_t offset = fed - state->avail_in;
      if (rc < 0) return Failure(AtOffset(IsalReason(rc), offset));
      if (!sink.Add(before - state->avail_out)) return Failure(WriteError());
      if (progress && !progress(offset, size)) return Failure("stopped");
    }
    at = NextMember(data, size, fed - state->avail_in);
  }
  GzipResult result;
  result.ok = true;
  return result;
}
#endif

GzipResult InflateZlib(const std::uint8_t* data, std::size_t size, Sink& sink, const ByteProgress& progress) {
  std::size_t at = 0;
  while (at < size) {
    if (!IsGzip(data + at, size - at)) return Failure(AtOffset("data that is not gzip", at));
    z_stream z{};
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) return Failure("cannot start the gzip inflater");
    std::size_t fed = at;
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
      if (z.avail_in == 0) {
        if (fed == size) {
          inflateEnd(&z);
          return Failure(AtOffset("gzip stream cut short", size));
        }
        const std::size_t n = std::min(size - fed, kMaxFeed);
        z.next_in = const_cast<Bytef*>(data + fed);
        z.avail_in = static_cast<uInt>(n);
        fed += n;
      }
      z.next_out = sink.free();
      z.avail_out = static_cast<uInt>(sink.room());
      const std::size_t before = sink.room();
      rc = inflate(&z, Z_NO_FLUSH);
      const std::size_t offset = fed - z.avail_in;
      if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) {
        const std::string reason = z.msg ? z.msg : "damaged gzip stream";
        inflateEnd(&z);
        return Failure(AtOffset(reason, offset));
      }
      if (!sink.Add(before - z.avail_out)) {
        inflateEnd(&z);
        return Failure(WriteError());
      }
      if (progress && !progress(offset, size)) {
        inflateEnd(&z);
        return Failure("stopped");
      }
    }
    at = NextMember(data, size, fed - z.avail_in);
    inflateEnd(&z);
  }
  GzipResult result;
  result.ok = true;
  return result;
}

// Reads the next block of the file to compress; false on a read error.
bool ReadBlock(int in, std::vector<std::uint8_t>& block, std::size_t& got) {
  got = 0;
  while (got < block.size()) {
    const ssize_t n = ::read(in, block.data() + got, block.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

std::string ReadError() { return std::string("cannot read the output back to compress it: ") + std::strerror(errno); }
std::string CompressWriteError() { return std::string("cannot write the compressed output: ") + std::strerror(errno); }

#ifdef KORVEX_HAVE_ISAL
GzipResult DeflateIsal(int in, std::uint64_t size, Sink& sink, const ByteProgress& progress) {
  auto stream = std::make_unique<isal_zstream>();
  isal_deflate_init(stream.get());
  std::vector<std::uint8_t> level(ISAL_DEF_LVL1_DEFAULT);
  stream->level = 1;
  stream->level_buf = level.data();
  stream->level_buf_size = static_cast<std::uint32_t>(level.size());
  stream->gzip_flag = IGZIP_GZIP;
  std::vector<std::uint8_t> block(kChunk);
  std::uint64_t done = 0;
  for (;;) {
    std::size_t got = 0;
    if (!ReadBlock(in, block, got)) return Failure(ReadError());
    done += got;
    stream->next_in = block.data();
    stream->avail_in = static_cast<std::uint32_t>(got);
    stream->end_of_stream = got < block.size() || done >= size;
    do {
      stream->next_out = sink.free();
      stream->avail_out = static_cast<std::uint32_t>(sink.room());
      const std::size_t before = sink.room();
      if (isal_deflate(stream.get()) != COMP_OK) return Failure("cannot compress the output");
      if (!sink.Add(before - stream->avail_out)) return Failure(CompressWriteError());
    } while (stream->avail_in > 0 || (stream->end_of_stream && stream->internal_state.state != ZSTATE_END));
    if (progress && !progress(done, size)) return Failure("stopped");
    if (stream->end_of_stream) break;
  }
  GzipResult result;
  result.ok = true;
  return result;
}
#endif

GzipResult DeflateZlib(int in, std::uint64_t size, Sink& sink, const ByteProgress& progress) {
  z_stream z{};
  if (deflateInit2(&z, 6, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    return Failure("cannot start the gzip deflater");
  std::vector<std::uint8_t> block(kChunk);
  std::uint64_t done = 0;
  int flush = Z_NO_FLUSH;
  while (flush != Z_FINISH) {
    std::size_t got = 0;
    if (!ReadBlock(in, block, got)) {
      deflateEnd(&z);
      return Failure(ReadError());
    }
    done += got;
    flush = got < block.size() || done >= size ? Z_FINISH : Z_NO_FLUSH;
    z.next_in = block.data();
    z.avail_in = static_cast<uInt>(got);
    int rc = Z_OK;
    do {
      z.next_out = sink.free();
      z.avail_out = static_cast<uInt>(sink.room());
      const std::size_t before = sink.room();
      rc = deflate(&z, flush);
      if (!sink.Add(before - z.avail_out)) {
        deflateEnd(&z);
        return Failure(CompressWriteError());
      }
    } while (z.avail_in > 0 || (flush == Z_FINISH && rc != Z_STREAM_END));
    if (progress && !progress(done, size)) {
      deflateEnd(&z);
      return Failure("stopped");
    }
  }
  deflateEnd(&z);
  GzipResult result;
  result.ok = true;
  return result;
}

GzipResult Finish(GzipResult result, Sink& sink, bool deflating) {
  if (result.ok && !sink.Flush()) return Failure(deflating ? CompressWriteError() : WriteError());
  result.written = sink.written();
  return result;
}

}  // namespace

bool IsGzip(const std::uint8_t* data, std::size_t size) { return size >= 2 && data[0] == 0x1F && data[1] == 0x8B; }

bool HasCodec(Codec codec) {
#ifdef KORVEX_HAVE_ISAL
  constexpr bool kIsal = true;
#else
  constexpr bool kIsal = false;
#endif
  return codec == Codec::kZlib || kIsal;
}

Codec DefaultCodec() { return HasCodec(Codec::kIsal) ? Codec::kIsal : Codec::kZlib; }

const char* CodecName(Codec codec) { return codec == Codec::kIsal ? "ISA-L" : "zlib"; }

GzipResult InflateToFile(const std::uint8_t* data, std::size_t size, int out, Codec codec,
                         const ByteProgress& progress, std::uint64_t limit) {
  Sink sink(out, limit);
#ifdef KORVEX_HAVE_ISAL
  if (codec == Codec::kIsal) return Finish(InflateIsal(data, size, sink, progress), sink, false);
#endif
  (void)codec;
  return Finish(InflateZlib(data, size, sink, progress), sink, false);
}

GzipResult DeflateFile(int in, std::uint64_t size, int out, Codec codec, const ByteProgress& progress) {
  Sink sink(out);
  if (::lseek(in, 0, SEEK_SET) != 0) return Failure(ReadError());
#ifdef KORVEX_HAVE_ISAL
  if (codec == Codec::kIsal) return Finish(DeflateIsal(in, size, sink, progress), sink, true);
#endif
  (void)codec;
  return Finish(DeflateZlib(in, size, sink, progress), sink, true);
}

}  // namespace korvex::gds
