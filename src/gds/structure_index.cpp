#include "gds/structure_index.h"

#include "gds/record_reader.h"
#include "gds/stream_reader.h"

namespace korvex::gds {

void StructureIndex::Build(const std::uint8_t* data, std::size_t size, Diagnostics& diagnostics) {
  entries_.clear();
  by_name_.clear();
  const std::string bad = CheckSignature(data, size);
  if (!bad.empty()) {
    diagnostics.Fail(0, "", "", bad);
    return;
  }
  RecordReader reader(data, size);
  Record rec;
  bool open = false;
  for (;;) {
    const RecordReader::Status status = reader.Next(rec);
    if (status == RecordReader::Status::kError) {
      diagnostics.Fail(reader.error_offset(), reader.error_record(), open ? entries_.back().name : "", reader.error());
      break;
    }
    if (status == RecordReader::Status::kEnd) break;
    if (rec.type == kBgnStr) {
      if (open) entries_.back().end = rec.offset;
      entries_.push_back({"", rec.offset, 0});
      open = true;
    } else if (rec.type == kStrName && open && entries_.back().name.empty()) {
      entries_.back().name = std::string(rec.Text());
      by_name_.emplace(entries_.back().name, entries_.size() - 1);
    } else if (rec.type == kEndStr && open) {
      entries_.back().end = reader.offset();
      open = false;
    } else if (rec.type == kEndLib) {
      break;
    }
  }
  if (open) entries_.back().end = reader.offset();
}

std::optional<std::size_t> StructureIndex::Find(std::string_view name) const {
  const auto it = by_name_.find(name);
  if (it == by_name_.end()) return std::nullopt;
  return it->second;
}

}  // namespace korvex::gds
