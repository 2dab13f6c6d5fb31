#include "korvexe/output_plan.h"

#include "korvexe/output_file.h"

namespace korvex::engine {

bool OutputPlan::Write(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return true;
  const std::uint64_t from = bytes_.size();
  bytes_.insert(bytes_.end(), data, data + size);
  if (!steps_.empty() && !steps_.back().input && steps_.back().to == from) steps_.back().to = bytes_.size();
  else steps_.push_back({false, from, bytes_.size()});
  return true;
}

void OutputPlan::CopyBytes(const std::uint8_t* data, std::size_t size) {
  records_.Flush();
  Write(data, size);
}

void OutputPlan::CopyInput(int fd, const std::uint8_t* base, std::uint64_t from, std::uint64_t to) {
  if (to <= from) return;
  records_.Flush();
  fd_ = fd;
  base_ = base;
  if (!steps_.empty() && steps_.back().input && steps_.back().to == from) steps_.back().to = to;
  else steps_.push_back({true, from, to});
}

void OutputPlan::WriteTo(OutputStream& out) {
  records_.Flush();
  for (const Step& s : steps_) {
    if (s.input) out.CopyInput(fd_, base_, s.from, s.to);
    else out.CopyBytes(bytes_.data() + s.from, s.to - s.from);
  }
  Clear();
}

void OutputPlan::Clear() {
  records_.Flush();
  steps_.clear();
  bytes_.clear();
}

}  // namespace korvex::engine
