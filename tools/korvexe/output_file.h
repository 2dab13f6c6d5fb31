// The output is written to a temporary file beside it and renamed over it only once complete,
// so that a failed or stopped run leaves an earlier output as it was.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gds/record_writer.h"

namespace korvex::engine {

// True when both paths name one existing file (the same device and inode).
bool SameFile(const std::string& a, const std::string& b);

// Records and verbatim byte runs into one buffered file.
class OutputStream : public gds::ByteSink {
 public:
  OutputStream();
  ~OutputStream() override;

  // Creates the temporary file for `output`. Throws EngineError when it cannot.
  void Create(const std::string& output);
  // Renames the complete file over the output. Throws EngineError on failure.
  void Commit();
  // Removes the temporary file (nothing happens after Commit()).
  void Discard();

  gds::RecordWriter& records() { return *records_; }
  // Copies bytes as they are, after the records written so far.
  void CopyBytes(const std::uint8_t* data, std::size_t size);
  // Throws EngineError when a write failed.
  void Check();
  std::uint64_t bytes() const { return flushed_ + used_; }
  const std::string& temporary_path() const { return temporary_; }

  bool Write(const std::uint8_t* data, std::size_t size) override;
  std::string error() const override { return file_.error(); }

 private:
  bool FlushBuffer();

  gds::FileSink file_;
  std::unique_ptr<gds::RecordWriter> records_;
  std::vector<std::uint8_t> buffer_;
  std::size_t used_ = 0;
  std::uint64_t flushed_ = 0;
  std::string output_;
  std::string temporary_;
  bool open_ = false;
  bool failed_ = false;
};

}  // namespace korvex::engine
