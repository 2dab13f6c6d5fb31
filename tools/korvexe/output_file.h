// The output is written to a temporary file beside it and renamed over it only once complete,
// so that a failed or stopped run leaves an earlier output as it was.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gds/record_writer.h"
#include "korvexe/background_writer.h"

namespace korvex::engine {

// The bytes an unprivileged writer may still put in the folder of `output` (none when that
// cannot be told).
std::optional<std::uint64_t> FreeSpaceFor(const std::string& output);

// Removes from `folder` the temporary outputs of runs that died without cleaning up (killed,
// or the machine stopped): files named "<output>.korvexe-<pid>[-<random>].tmp" whose process
// is gone. Returns how many were removed.
std::size_t RemoveDeadRunTemporaries(const std::string& folder);

// An output named "*.gz" is written gzip-compressed.
bool IsCompressedName(const std::string& output);

// Records and verbatim stretches of an input into one buffered file.
class OutputStream : public gds::ByteSink {
 public:
  OutputStream();
  ~OutputStream() override;
  OutputStream(const OutputStream&) = delete;
  OutputStream& operator=(const OutputStream&) = delete;

  // Creates the temporary file for `output`. Throws EngineError when it cannot.
  void Create(const std::string& output);
  // Renames the complete file over the output. Throws EngineError on failure.
  void Commit();
  // Removes the temporary file (nothing happens after Commit()).
  void Discard();

  gds::RecordWriter& records() { return *records_; }
  // Copies bytes as they are, after the records written so far.
  void CopyBytes(const std::uint8_t* data, std::size_t size);
  // Copies bytes [from, to) of an input whose file is open as `fd` and mapped at `base`.
  // Neighbouring stretches are joined, and long ones copied by the kernel, file to file.
  void CopyInput(int fd, const std::uint8_t* base, std::uint64_t from, std::uint64_t to);
  // Throws EngineError when a write failed.
  void Check();
  std::uint64_t bytes() const { return flushed_ + submitted_ + used_ + (pending_to_ - pending_from_); }
  const std::string& temporary_path() const { return temporary_; }

  bool Write(const std::uint8_t* data, std::size_t size) override;
  std::string error() const override { return error_; }

 private:
  bool WriteFile(const std::uint8_t* data, std::size_t size);
  // Waits for the background writer before the file is written any other way.
  bool Settle();
  bool FlushBuffer();
  bool FlushPending();
  // Replaces the finished temporary file by its gzip-compressed form.
  void Compress();

  int fd_ = -1;
  std::unique_ptr<gds::RecordWriter> records_;
  std::vector<std::uint8_t> buffer_;
  std::size_t used_ = 0;
  std::uint64_t flushed_ = 0;    // written here
  std::uint64_t submitted_ = 0;  // handed to writer_
  BackgroundWriter writer_;
  // A stretch of an input not yet copied.
  int pending_fd_ = -1;
  const std::uint8_t* pending_base_ = nullptr;
  std::uint64_t pending_from_ = 0;
  std::uint64_t pending_to_ = 0;
  std::string output_;
  std::string temporary_;
  std::string error_;
  bool failed_ = false;
};

}  // namespace korvex::engine
