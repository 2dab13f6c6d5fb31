#include "korvexe/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "korvexe/run_control.h"

namespace korvex::engine {
namespace {

constexpr std::size_t kBufferSize = 8u << 20;

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

OutputStream::OutputStream() : buffer_(kBufferSize) {}

OutputStream::~OutputStream() {
  Discard();  // first: the record writer's final flush then goes nowhere
  records_.reset();
}

void OutputStream::Create(const std::string& output) {
  output_ = output;
  temporary_ = output + ".korvexe-" + std::to_string(::getpid()) + ".tmp";
  if (!file_.Open(temporary_))
    throw EngineError("cannot create " + temporary_ + " beside the output: " + file_.error());
  open_ = true;
  records_ = std::make_unique<gds::RecordWriter>(*this, 256u << 10);
}

bool OutputStream::Write(const std::uint8_t* data, std::size_t size) {
  if (failed_) return false;
  if (used_ + size > buffer_.size()) {
    if (!FlushBuffer()) return false;
    if (size >= buffer_.size()) {
      if (!file_.Write(data, size)) return !(failed_ = true);
      flushed_ += size;
      return true;
    }
  }
  std::memcpy(buffer_.data() + used_, data, size);
  used_ += size;
  return true;
}

bool OutputStream::FlushBuffer() {
  if (used_ == 0 || failed_) return !failed_;
  if (!file_.Write(buffer_.data(), used_)) return !(failed_ = true);
  flushed_ += used_;
  used_ = 0;
  return true;
}

void OutputStream::CopyBytes(const std::uint8_t* data, std::size_t size) {
  records_->Flush();
  Write(data, size);
}

void OutputStream::Check() {
  if (!records_->ok()) throw EngineError("cannot write the output: " + records_->error());
  if (failed_) throw EngineError("cannot write the output: " + file_.error());
}

void OutputStream::Commit() {
  records_->Flush();
  FlushBuffer();
  Check();
  if (!file_.Close()) throw EngineError("cannot write the output: " + file_.error());
  open_ = false;
  if (std::rename(temporary_.c_str(), output_.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    std::remove(temporary_.c_str());
    throw EngineError("cannot rename " + temporary_ + " to " + output_ + ": " + reason);
  }
  temporary_.clear();
}

void OutputStream::Discard() {
  if (temporary_.empty()) return;
  failed_ = true;
  if (open_) {
    file_.Close();
    open_ = false;
  }
  std::remove(temporary_.c_str());
  temporary_.clear();
}

}  // namespace korvex::engine
