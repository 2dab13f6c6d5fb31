// Splits a byte buffer (usually a memory map of the whole file) into records. Reads record
// headers with bounds checks and never copies payloads.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gds/record.h"

namespace korvex::gds {

class RecordReader {
 public:
  enum class Status { kRecord, kEnd, kError };

  RecordReader() = default;
  RecordReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  // kRecord: `rec` holds the next record. kEnd: no bytes left, or only zero bytes (tail
  // padding) remain. kError: a length below 4 or a record running past the end; error() says
  // which, at error_offset(), and the reader stays there.
  Status Next(Record& rec) {
    if (pos_ + 4 > size_) return NearEnd(rec);
    const std::uint8_t* p = data_ + pos_;
    const std::uint16_t length = LoadU16(p);
    if (length < 4 || length > size_ - pos_) return Bad(length);
    rec.offset = pos_;
    rec.type = p[2];
    rec.data_type = p[3];
    rec.data = p + 4;
    rec.size = length - 4u;
    pos_ += length;
    return Status::kRecord;
  }

  std::uint64_t offset() const { return pos_; }
  void Seek(std::uint64_t offset) { pos_ = offset <= size_ ? offset : size_; }
  std::size_t size() const { return size_; }
  const std::uint8_t* data() const { return data_; }

  const char* error() const { return error_; }
  std::uint64_t error_offset() const { return error_offset_; }
  // Name of the record at error_offset() when its header could be read, else "".
  std::string error_record() const;

 private:
  Status NearEnd(Record& rec);
  Status Bad(std::uint16_t length);
  bool RestIsZero(std::uint64_t from) const;

  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::uint64_t pos_ = 0;
  const char* error_ = "";
  std::uint64_t error_offset_ = 0;
};

}  // namespace korvex::gds
