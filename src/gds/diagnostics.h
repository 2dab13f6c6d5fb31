// Warnings and errors found while reading a stream. The library never prints: the program
// decides what to show. Repeated warnings of one kind are counted, and only the first few of
// each kind are kept with their details.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace korvex::gds {

struct Issue {
  bool fatal = false;
  std::uint64_t offset = 0;  // byte offset of the record concerned
  std::string record;        // record name, e.g. "XY"
  std::string structure;     // structure being read, empty outside structures
  std::string message;       // what is wrong, e.g. "truncated record"

  // "offset 1234: XY in structure TOP: truncated record"
  std::string Text() const;
};

class Diagnostics {
 public:
  explicit Diagnostics(std::size_t keep_per_kind = 5) : keep_per_kind_(keep_per_kind) {}

  void Warn(std::uint64_t offset, std::string_view record, std::string_view structure,
            std::string_view message);
  void Fail(std::uint64_t offset, std::string_view record, std::string_view structure,
            std::string_view message);

  // Adds `other`'s issues after this one's, as if they had been reported here in order.
  void Append(const Diagnostics& other, std::size_t keep_per_kind);

  std::size_t keep_per_kind() const { return keep_per_kind_; }
  bool failed() const { return failed_; }
  std::size_t warning_count() const { return warning_count_; }
  // The kept issues in the order they arose (the fatal one, if any, last).
  const std::vector<Issue>& issues() const { return issues_; }
  // How many warnings carried each message, including those not kept.
  const std::map<std::string, std::size_t, std::less<>>& counts() const { return counts_; }
  const Issue* fatal() const;

 private:
  std::size_t keep_per_kind_;
  bool failed_ = false;
  std::size_t warning_count_ = 0;
  std::vector<Issue> issues_;
  std::map<std::string, std::size_t, std::less<>> counts_;
};

}  // namespace korvex::gds
