// A structure's copy kept in memory as what to write: stretches of the input and bytes of its
// own, to be written to the output later, in order.
#pragma once

#include <cstdint>
#include <vector>

#include "gds/record_writer.h"
#include "korvexe/structure_sink.h"

namespace korvex::engine {

class OutputStream;

class OutputPlan : public StructureSink, private gds::ByteSink {
 public:
  OutputPlan() : records_(static_cast<gds::ByteSink&>(*this), 64u << 10) {}
  OutputPlan(const OutputPlan&) = delete;
  OutputPlan& operator=(const OutputPlan&) = delete;

  gds::RecordWriter& records() override { return records_; }
  void CopyBytes(const std::uint8_t* data, std::size_t size) override;
  void CopyInput(int fd, const std::uint8_t* base, std::uint64_t from, std::uint64_t to) override;
  void Check() override {}

  // Writes the plan to `out` and empties it.
  void WriteTo(OutputStream& out);
  void Clear();
  // Bytes of its own it holds.
  std::size_t held() const { return bytes_.size(); }

 private:
  bool Write(const std::uint8_t* data, std::size_t size) override;
  std::string error() const override { return {}; }

  struct Step {
    bool input = false;  // a stretch of the input, or bytes_[from, to)
    std::uint64_t from = 0;
    std::uint64_t to = 0;
  };
  std::vector<Step> steps_;
  std::vector<std::uint8_t> bytes_;
  int fd_ = -1;
  const std::uint8_t* base_ = nullptr;
  gds::RecordWriter records_;  // last: its final flush still finds the steps
};

}  // namespace korvex::engine
