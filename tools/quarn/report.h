// The scan report that quarn.exe writes: header, structure list, layers, datatypes, element
// counts, extents and the hierarchy drawing, in the line formats the front end reads.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "gds/diagnostics.h"
#include "gds/hierarchy.h"
#include "gds/layout_summary.h"
#include "gds/name_codec.h"

namespace korvex::quarn {

// Names in the report are written in the %XX form shared by all the programs.
using gds::EncodeName;

// `value` database units in user units with as many decimals as needed to be exact
// (resolution 1000: 12005 -> "12.005", -1500 -> "-1.5", 2000 -> "2").
std::string FormatUserUnits(std::int64_t value, std::int64_t resolution);

// How fractions of a user unit are written for one resolution, worked out once: `digits`
// exact decimals, the fraction times `scale`, when the resolution is 2^a 5^b; otherwise
// `scale` 0 and 12 decimals, rounded.
struct UnitDecimals {
  explicit UnitDecimals(std::int64_t dbu_per_user_unit);  // 0 or less: 1
  std::uint64_t resolution;
  std::uint64_t scale = 0;
  std::size_t digits = 0;
};

// "UM", "NM", "MM", "M", or the user unit in metres.
std::string UserUnitsText(double metres_per_user_unit);

struct ReportOptions {
  std::string input_path;
  std::uint64_t file_size = 0;
  // The size on the disk of a compressed input (0: the input was not compressed).
  std::uint64_t compressed_size = 0;
  std::uint64_t max_lines = 1000000;  // hierarchy drawing lines before repeats are shortened
  // Deepest level drawn: deeper references are left out (a hostile chain of thousands of
  // levels would otherwise give lines of megabytes, and the front end reads 4095 characters).
  std::uint32_t max_depth = 200;
};

// Writes text through one buffer to a FILE, in large blocks; remembers a failed write. The
// buffer is reserved once and numbers and names are written straight into it, so that the
// hundreds of thousands of lines of a large report cost no allocation each.
class ReportSink {
 public:
  explicit ReportSink(std::FILE* file) : file_(file) { buffer_.reserve(kChunk + kSlack); }
  ~ReportSink() { Flush(); }
  ReportSink(const ReportSink&) = delete;
  ReportSink& operator=(const ReportSink&) = delete;

  void Add(std::string_view text) { buffer_.append(text); }
  void Add(char c) { buffer_.push_back(c); }
  void Number(std::uint64_t value);
  void Signed(std::int64_t value);
  void Name(std::string_view name) { gds::AppendEncodedName(buffer_, name); }  // %XX form
  void Text(std::string_view text) { gds::AppendEncodedText(buffer_, text); }
  // `value` database units in user units, as FormatUserUnits() writes them.
  void UserUnits(std::int64_t value, const UnitDecimals& units);
  void EndLine() {
    buffer_.push_back('\n');
    if (buffer_.size() >= kChunk) Flush();
  }
  void Line(std::string_view text) {
    Add(text);
    EndLine();
  }
  bool Flush();
  bool ok() const { return ok_; }

 private:
  static constexpr std::size_t kChunk = 1 << 20, kSlack = 64 << 10;
  std::FILE* file_;
  std::string buffer_;
  bool ok_ = true;
};

// Writes the whole report. `diagnostics` supplies the warning lines of the header.
void WriteReport(const gds::LayoutSummary& summary, const gds::Hierarchy& hierarchy,
                 const gds::Diagnostics& diagnostics, const ReportOptions& options, ReportSink& out);

}  // namespace korvex::quarn
