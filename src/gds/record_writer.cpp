#include "gds/record_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace korvex::gds {

FileSink::~FileSink() {
  if (fd_ >= 0) ::close(fd_);
}

bool FileSink::Open(const std::string& path) {
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd_ < 0) {
    error_ = std::strerror(errno);
    return false;
  }
  return true;
}

bool FileSink::Write(const std::uint8_t* data, std::size_t size) {
  if (fd_ < 0) {
    if (error_.empty()) error_ = "file not open";
    return false;
  }
  while (size > 0) {
    const ssize_t n = ::write(fd_, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      error_ = std::strerror(errno);
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool FileSink::Close() {
  if (fd_ < 0) return error_.empty();
  const int rc = ::close(fd_);
  fd_ = -1;
  if (rc != 0 && error_.empty()) error_ = std::strerror(errno);
  return error_.empty();
}

RecordWriter::RecordWriter(ByteSink& sink, std::size_t buffer_size)
    : sink_(sink), buffer_(buffer_size < 65536 * 2 ? 65536 * 2 : buffer_size) {}

RecordWriter::~RecordWriter() { Flush(); }

bool RecordWriter::Fail(std::string message) {
  if (error_.empty()) error_ = std::move(message);
  return false;
}

bool RecordWriter::Flush() {
  if (used_ == 0) return ok();
  if (ok() && !sink_.Write(buffer_.data(), used_)) {
    const std::string reason = sink_.error();
    Fail("write failed" + (reason.empty() ? std::string() : ": " + reason));
  }
  written_ += used_;
  used_ = 0;
  return ok();
}

std::uint8_t* RecordWriter::Begin(std::uint8_t type, std::uint8_t data_type, std::size_t payload) {
  if (!ok()) return nullptr;
  if (payload > 65530) {
    Fail(RecordName(type) + " too long for one record (" + std::to_string(payload) + " bytes)");
    return nullptr;
  }
  const std::size_t length = payload + 4;
  if (used_ + length > buffer_.size() && !Flush()) return nullptr;
  std::uint8_t* p = buffer_.data() + used_;
  StoreU16(p, static_cast<std::uint16_t>(length));
  p[2] = type;
  p[3] = data_type;
  used_ += length;
  return p + 4;
}

std::uint8_t* RecordWriter::Reserve(std::size_t size) {
  if (!ok()) return nullptr;
  if (size > 65536) {
    Fail("too many bytes reserved at once (" + std::to_string(size) + ")");
    return nullptr;
  }
  if (used_ + size > buffer_.size() && !Flush()) return nullptr;
  std::uint8_t* p = buffer_.data() + used_;
  used_ += size;
  return p;
}

bool RecordWriter::Empty(std::uint8_t type) { return Begin(type, kNoData, 0) != nullptr; }

bool RecordWriter::Int16(std::uint8_t type, std::int16_t value) { return Int16s(type, {&value, 1}); }

bool RecordWriter::Int16s(std::uint8_t type, std::span<const std::int16_t> values) {
  std::uint8_t* p = Begin(type, kInt16, values.size() * 2);
  if (p == nullptr) return false;
  for (std::int16_t v : values) {
    StoreU16(p, static_cast<std::uint16_t>(v));
    p += 2;
  }
  return true;
}

bool RecordWriter::BitArray(std::uint8_t type, std::uint16_t value) {
  std::uint8_t* p = Begin(type, kBitArray, 2);
  if (p == nullptr) return false;
  StoreU16(p, value);
  return true;
}

bool RecordWriter::Int32(std::uint8_t type, std::int32_t value) { return Int32s(type, {&value, 1}); }

bool RecordWriter::Int32s(std::uint8_t type, std::span<const std::int32_t> values) {
  std::uint8_t* p = Begin(type, kInt32, values.size() * 4);
  if (p == nullptr) return false;
  for (std::int32_t v : values) {
    StoreU32(p, static_cast<std::uint32_t>(v));
    p += 4;
  }
  return true;
}

bool RecordWriter::Points(std::span<const Point> points) {
  if (points.size() > 8191) return Fail("XY with more than 8191 points");
  std::uint8_t* p = Begin(kXY, kInt32, points.size() * 8);
  if (p == nullptr) return false;
  for (const Point& pt : points) {
    StoreU32(p, static_cast<std::uint32_t>(pt.x));
    StoreU32(p + 4, static_cast<std::uint32_t>(pt.y));
    p += 8;
  }
  return true;
}

bool RecordWriter::Reals(std::uint8_t type, std::span<const Real8> values) {
  std::uint8_t* p = Begin(type, kReal8, values.size() * 8);
  if (p == nullptr) return false;
  for (Real8 v : values) {
    StoreU64(p, v.bits);
    p += 8;
  }
  return true;
}

bool RecordWriter::String(std::uint8_t type, std::string_view text) {
  const std::size_t padded = text.size() + (text.size() & 1);
  std::uint8_t* p = Begin(type, kAscii, padded);
  if (p == nullptr) return false;
  std::memcpy(p, text.data(), text.size());
  if (padded != text.size()) p[text.size()] = 0;
  return true;
}

bool RecordWriter::Raw(std::uint8_t type, std::uint8_t data_type, std::span<const std::uint8_t> payload) {
  std::uint8_t* p = Begin(type, data_type, payload.size());
  if (p == nullptr) return false;
  if (!payload.empty()) std::memcpy(p, payload.data(), payload.size());
  return true;
}

bool RecordWriter::Zeros(std::size_t count) {
  static const std::uint8_t kZero[4096] = {};
  if (!Flush()) return false;
  while (count > 0) {
    const std::size_t n = count < sizeof kZero ? count : sizeof kZero;
    if (!sink_.Write(kZero, n)) return Fail("write failed: " + sink_.error());
    written_ += n;
    count -= n;
  }
  return true;
}

}  // namespace korvex::gds
