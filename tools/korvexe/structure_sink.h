// Where the copy of a structure goes: the output itself, or a plan of it made ahead on another
// thread and written out later in order.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gds/record_writer.h"

namespace korvex::engine {

class StructureSink {
 public:
  virtual ~StructureSink() = default;
  virtual gds::RecordWriter& records() = 0;
  // Copies bytes as they are, after the records written so far.
  virtual void CopyBytes(const std::uint8_t* data, std::size_t size) = 0;
  // Copies bytes [from, to) of an input whose file is open as `fd` and mapped at `base`.
  virtual void CopyInput(int fd, const std::uint8_t* base, std::uint64_t from, std::uint64_t to) = 0;
  // Throws EngineError when a write failed.
  virtual void Check() = 0;
};

}  // namespace korvex::engine
