// The output is written to a temporary file beside it and renamed over it only once complete,
// so that a failed or stopped run leaves an earlier output as it was.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gds/record_writer.h"
#include "korvexe/background_writer.h"
#include "korvexe/prefix_copy.h"
#include "korvexe/structure_sink.h"

namespace korvex {
class ProgressChannel;
}

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
class OutputStream : public gds::ByteSink, public StructureSink {
 public:
  OutputStream();
  ~OutputStream() override;
  OutputStream(const OutputStream&) = delete;
  OutputStream& operator=(const OutputStream&) = delete;

  // Creates the temporary file for `output`. Throws EngineError when it cannot.
  void Create(const std::string& output);
  // Renames the complete file over the output. Throws EngineError on failure.
  void Commit();
  // Bets that the output begins with the bytes of the input open as `fd` and mapped at
  // `base` (a run that changes nothing), and starts copying them at once. Whatever the run
  // then writes that equals the input at the same place is already there; at the first
  // difference the file is cut back to what matched and written on as usual.
  void PresumeInput(int fd, const std::uint8_t* base, std::uint64_t size);
  // Removes the temporary file (nothing happens after Commit()).
  void Discard();

  gds::RecordWriter& records() override { return *records_; }
  // Copies bytes as they are, after the records written so far.
  void CopyBytes(const std::uint8_t* data, std::size_t size) override;
  // Copies bytes [from, to) of an input whose file is open as `fd` and mapped at `base`.
  // Neighbouring stretches are joined, and long ones copied by the kernel, file to file.
  void CopyInput(int fd, const std::uint8_t* base, std::uint64_t from, std::uint64_t to) override;
  // Throws EngineError when a write failed.
  void Check() override;
  std::uint64_t bytes() const { return presumed_ + flushed_ + submitted_ + used_ + (pending_to_ - pending_from_); }
  const std::string& temporary_path() const { return temporary_; }
  // Told the bytes handed to the file as each buffer or copy goes out.
  void SetProgress(ProgressChannel* progress) { progress_ = progress; }

  bool Write(const std::uint8_t* data, std::size_t size) override;
  std::string error() const override { return error_; }

 private:
  bool WriteFile(const std::uint8_t* data, std::size_t size);
  // Waits for the background writer before the file is written any other way.
  bool Settle();
  bool FlushBuffer();
  bool FlushPending();
  // Ends the bet on the input: the file keeps the bytes that matched. False on failure.
  bool StopPresuming();
  // Replaces the finished temporary file by its gzip-compressed form.
  void Compress();
  std::function<bool(std::uint64_t, std::uint64_t)> CompressionProgress();
  void TellProgress();

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
  // The bet on the input: its bytes [0, presumed_) are the output's so far.
  bool presuming_ = false;
  const std::uint8_t* presumed_base_ = nullptr;
  std::uint64_t presumed_size_ = 0;
  std::uint64_t presumed_ = 0;
  PrefixCopy prefix_;
  std::string output_;
  std::string temporary_;
  std::string error_;
  bool failed_ = false;
  ProgressChannel* progress_ = nullptr;
};

}  // namespace korvex::engine
