#include "gds/diagnostics.h"

namespace korvex::gds {

std::string Issue::Text() const {
  std::string out = "offset " + std::to_string(offset) + ": ";
  if (!record.empty()) out += record;
  if (!structure.empty()) out += (record.empty() ? "in structure " : " in structure ") + structure;
  if (!record.empty() || !structure.empty()) out += ": ";
  out += message;
  return out;
}

void Diagnostics::Warn(std::uint64_t offset, std::string_view record, std::string_view structure,
                       std::string_view message) {
  ++warning_count_;
  auto it = counts_.find(message);
  if (it == counts_.end()) it = counts_.emplace(std::string(message), 0).first;
  if (++it->second <= keep_per_kind_) {
    issues_.push_back({false, offset, std::string(record), std::string(structure), std::string(message)});
  }
}

void Diagnostics::Fail(std::uint64_t offset, std::string_view record, std::string_view structure,
                       std::string_view message) {
  if (failed_) return;  // the first fatal error is the one that counts
  failed_ = true;
  issues_.push_back({true, offset, std::string(record), std::string(structure), std::string(message)});
}

void Diagnostics::Append(const Diagnostics& other, std::size_t keep_per_kind) {
  // Kept issues of each kind, counted before the others are added.
  std::map<std::string, std::size_t, std::less<>> kept;
  for (const Issue& i : issues_) {
    if (!i.fatal) ++kept[i.message];
  }
  for (const Issue& i : other.issues_) {
    if (i.fatal) {
      if (!failed_) {
        failed_ = true;
        issues_.push_back(i);
      }
    } else if (kept[i.message]++ < keep_per_kind) {
      issues_.push_back(i);
    }
  }
  for (const auto& [message, count] : other.counts_) counts_[message] += count;
  warning_count_ += other.warning_count_;
}

const Issue* Diagnostics::fatal() const {
  for (const Issue& i : issues_) {
    if (i.fatal) return &i;
  }
  return nullptr;
}

}  // namespace korvex::gds
