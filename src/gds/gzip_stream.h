// gzip streams: layouts are often shipped compressed, under any name, and are recognised by
// their first bytes. Two inflaters and deflaters: ISA-L, several times faster, where the build
// found it, and zlib.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace korvex::gds {

// The gzip magic number.
bool IsGzip(const std::uint8_t* data, std::size_t size);

enum class Codec { kIsal, kZlib };
// The fastest codec this build has.
Codec DefaultCodec();
bool HasCodec(Codec codec);
const char* CodecName(Codec codec);

// Told the bytes done so far (of the input) and the total; returning false stops the work,
// which then fails with error "stopped".
using ByteProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

struct GzipResult {
  bool ok = false;
  std::uint64_t written = 0;  // bytes written to the output descriptor
  std::string error;          // why not, with the offset in the compressed bytes where it applies
};

// Inflates every member of the gzip stream [data, data + size) onto descriptor `out`, failing
// once more than `limit` bytes would be written. Trailing zero bytes (padding) are allowed;
// anything else after the last member is damage.
GzipResult InflateToFile(const std::uint8_t* data, std::size_t size, int out, Codec codec,
                         const ByteProgress& progress = {}, std::uint64_t limit = UINT64_MAX);

// Compresses `size` bytes read from descriptor `in` (from its start) as one gzip member onto
// descriptor `out`.
GzipResult DeflateFile(int in, std::uint64_t size, int out, Codec codec, const ByteProgress& progress = {});

}  // namespace korvex::gds
