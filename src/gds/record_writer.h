// Writes records with correct lengths and padding through a large buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "gds/geometry.h"
#include "gds/real8.h"
#include "gds/record.h"

namespace korvex::gds {

// Where written bytes go.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Returns false (and keeps a reason) when the bytes could not be written.
  virtual bool Write(const std::uint8_t* data, std::size_t size) = 0;
  virtual std::string error() const { return {}; }
};

class MemorySink : public ByteSink {
 public:
  bool Write(const std::uint8_t* data, std::size_t size) override {
    bytes.insert(bytes.end(), data, data + size);
    return true;
  }
  std::vector<std::uint8_t> bytes;
};

// Writes to a file it creates (or truncates). Close() reports a failed final write.
class FileSink : public ByteSink {
 public:
  FileSink() = default;
  ~FileSink() override;
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;

  bool Open(const std::string& path);
  bool Write(const std::uint8_t* data, std::size_t size) override;
  bool Close();
  std::string error() const override { return error_; }

 private:
  int fd_ = -1;
  std::string error_;
};

class RecordWriter {
 public:
  explicit RecordWriter(ByteSink& sink, std::size_t buffer_size = 1 << 20);
  ~RecordWriter();
  RecordWriter(const RecordWriter&) = delete;
  RecordWriter& operator=(const RecordWriter&) = delete;

  // Every writing call returns false once anything went wrong; error() says what.
  bool Empty(std::uint8_t type);
  bool Int16(std::uint8_t type, std::int16_t value);
  bool Int16s(std::uint8_t type, std::span<const std::int16_t> values);
  bool BitArray(std::uint8_t type, std::uint16_t value);
  bool Int32(std::uint8_t type, std::int32_t value);
  bool Int32s(std::uint8_t type, std::span<const std::int32_t> values);
  bool Reals(std::uint8_t type, std::span<const Real8> values);
  bool Real(std::uint8_t type, Real8 value) { return Reals(type, {&value, 1}); }
  // Odd-length text gets one NUL; text longer than a record can hold is an error.
  bool String(std::uint8_t type, std::string_view text);
  // An XY record. More than 8191 points is an error.
  bool Points(std::span<const Point> points);
  // A record copied as it is, with the given payload.
  bool Raw(std::uint8_t type, std::uint8_t data_type, std::span<const std::uint8_t> payload);

  // Room for `size` bytes of whole records that the caller fills in itself (records kept
  // encoded, written again with a few values changed); at most 64 KiB. nullptr on error.
  std::uint8_t* Reserve(std::size_t size);

  // Writes `count` zero bytes (block padding after ENDLIB).
  bool Zeros(std::size_t count);
  bool Flush();

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  std::uint64_t bytes_written() const { return written_ + used_; }

 private:
  // Reserves a record of `payload` bytes; returns the payload pointer or nullptr on error.
  std::uint8_t* Begin(std::uint8_t type, std::uint8_t data_type, std::size_t payload);
  bool Fail(std::string message);

  ByteSink& sink_;
  std::vector<std::uint8_t> buffer_;
  std::size_t used_ = 0;
  std::uint64_t written_ = 0;
  std::string error_;
};

}  // namespace korvex::gds
