#include "gds/record_reader.h"

#include <algorithm>

namespace korvex::gds {

bool RecordReader::RestIsZero(std::uint64_t from) const {
  return std::all_of(data_ + from, data_ + size_, [](std::uint8_t b) { return b == 0; });
}

RecordReader::Status RecordReader::NearEnd(Record&) {
  if (pos_ >= size_ || RestIsZero(pos_)) return Status::kEnd;
  error_ = "truncated record";
  error_offset_ = pos_;
  return Status::kError;
}

RecordReader::Status RecordReader::Bad(std::uint16_t length) {
  if (length < 4) {
    if (RestIsZero(pos_)) return Status::kEnd;
    error_ = length == 0 ? "record length 0" : "record length below 4";
  } else {
    error_ = "truncated record";
  }
  error_offset_ = pos_;
  return Status::kError;
}

std::string RecordReader::error_record() const {
  if (error_offset_ + 4 > size_) return "";
  return RecordName(data_[error_offset_ + 2]);
}

}  // namespace korvex::gds
