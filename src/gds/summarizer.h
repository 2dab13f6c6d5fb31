// The reading behind Summarize(), in three levels: the library level and the structure level
// (summarizer.cpp) and the element body (summary_element.cpp), which follows the element
// grammar. Internal to the gds library.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "gds/diagnostics.h"
#include "gds/element_grammar.h"
#include "gds/layout_summary.h"
#include "gds/pair_counter.h"
#include "gds/record_reader.h"

namespace korvex::gds {

// The element being read: pointers into the stream, nothing copied unless its points come in
// several XY records.
struct PendingElement {
  int kind = -1;  // ElementKind as a number: the index into StructureSummary::counts
  std::uint64_t offset = 0;
  int layer = -1;
  int datatype = -1;
  int pathtype = 0;
  std::int32_t width = 0, bgnextn = 0, endextn = 0;
  const std::uint8_t* sname = nullptr;
  std::size_t sname_size = 0;
  bool has_sname = false;
  bool has_string = false;
  bool as_written = false;  // its bytes are a valid element as they stand
  bool reflect = false;
  double mag = 1.0, angle = 0.0;
  int columns = -1, rows = -1;
  const std::uint8_t* xy = nullptr;  // big-endian x, y pairs
  std::size_t points = 0;
};

class Summarizer {
 public:
  Summarizer(const std::uint8_t* data, std::size_t size, Diagnostics& diag, LayoutSummary& out,
             const SummaryOptions& options)
      : data_(data), size_(size), diag_(diag), out_(out), options_(options), reader_(data, size) {
    for (int k = 0; k < 7; ++k) rules_[k] = &grammar_detail::RulesFor(static_cast<ElementKind>(k));
  }

  // Reads the whole stream, or with SetPart() the structures from `start` up to the BGNSTR
  // at `stop` (0: to the end).
  bool Run();
  void SetPart(std::size_t start, std::size_t stop) {
    start_ = start;
    stop_ = stop;
  }
  // For a part: its records led exactly to the BGNSTR where the next part starts, and it met
  // no library header record (which a single pass would apply to the whole library).
  bool reached_stop() const { return reached_stop_; }
  bool met_library_header() const { return met_library_header_; }

 private:
  // What reading one more record gave.
  enum class Step {
    kRecord,
    kLast,        // the BGNSTR where the next part starts: handled, not counted
    kFalseSplit,  // the records passed the next part's start: this part is abandoned
    kEnd,
    kError,
  };

  // The next record, counted, with the bookkeeping every record needs.
  Step Next(Record& rec) {
    const RecordReader::Status status = reader_.Next(rec);
    if (status != RecordReader::Status::kRecord) return status == RecordReader::Status::kEnd ? Step::kEnd : Step::kError;
    ++records_;
    if (rec.offset >= watch_ || (rec.size & 1)) [[unlikely]]
      return Rare(rec.offset, rec.type, rec.size);
    return Step::kRecord;
  }
  // The checks that seldom find anything: the part's end, progress, an odd length.
  // (Plain values, not the record: a record whose address is taken lives on the stack.)
  Step Rare(std::uint64_t offset, std::uint8_t type, std::size_t size);
  void Progress(std::uint64_t offset);
  void Watch(std::uint64_t next_progress);

  // Element body (summary_element.cpp): reads the element started by `next` up to its end,
  // and the elements right after it, and returns the step of the first record that is not
  // theirs, which `next` then holds. Elements in their plain form, nearly all, take a shorter
  // way (PlainElements).
  Step ReadElements(ElementKind kind, Record& next);
  bool PlainElements(ElementKind& kind, Record& next);
  std::size_t PlainElement(ElementKind kind, std::uint64_t start, std::size_t at, std::size_t limit);
  void TakeValue(const Record& rec);
  void JoinPoints(const std::uint8_t* data, std::size_t size);
  void FinishElement();
  void CopyFacts(int kind, bool shape);
  // Notes the pair of the shape being read, for SummaryOptions::pairs.
  void NotePair(int kind);

  bool ReadAll();
  // Structure and library level (summarizer.cpp). False when reading ends here.
  bool OutsideElements(const Record& rec, bool last);
  void StructureStart(const Record& rec);
  void LibraryRecord(const Record& rec);
  void EndOfData(Step step);
  void BeginStructure(const Record& rec, std::string_view name);
  void EndStructure();

  void Warn(std::uint64_t offset, std::uint8_t type, std::string_view message) {
    diag_.Warn(offset, type == 0xFF ? std::string() : RecordName(type), current_name(), message);
  }
  std::string current_name() const {
    return current_ != kNone ? out_.structures[current_].name : std::string(skip_name_);
  }
  std::uint32_t Lookup(std::string_view name);

  static constexpr std::uint32_t kNone = 0xFFFFFFFF;
  static constexpr std::size_t kProgressStep = 16u << 20, kProgressLag = 2u << 20;
  std::size_t start_ = 0;
  std::size_t stop_ = 0;
  bool reached_stop_ = false;
  bool met_library_header_ = false;
  bool units_ = false;  // UNITS settled (a later part starts after the library header)
  const std::uint8_t* data_;
  std::size_t size_;
  Diagnostics& diag_;
  LayoutSummary& out_;
  const SummaryOptions& options_;
  RecordReader reader_;
  std::uint64_t records_ = 0;  // counted here, added to the summary at the end
  std::size_t released_ = 0;
  std::size_t watch_ = 0;  // the next offset to look at: a progress step or the part's end
  std::unordered_map<std::string, std::uint32_t, StringHash, std::equal_to<>> names_;
  std::uint32_t current_ = kNone;
  bool in_structure_ = false;  // between BGNSTR and ENDSTR (also while skipping one)
  bool skipping_ = false;      // inside a structure that is not reported
  std::string skip_name_;
  bool verbatim_ = false;   // the structure read so far may be copied as it is
  bool in_header_ = false;  // before the structure's first element
  PairCounter pair_totals_;
  AsWrittenCheck as_written_;
  PendingElement el_;
  const grammar_detail::KindRules* rules_[7];  // by ElementKind, at hand for every element
  std::vector<std::uint8_t> joined_;  // the points of an element with several XY records
  std::vector<Point> points_;
  std::uint32_t last_child_ = kNone;
  std::string_view last_child_name_;
  // The current structure's pairs, each once: a small open-addressed set (key + 1 per slot)
  // while it is at most half full; past that the list takes repeats, removed at the end.
  static constexpr std::size_t kPairSlots = 1024, kPairSetLimit = kPairSlots / 2;
  std::vector<std::uint32_t> pairs_;
  std::vector<std::uint16_t> pair_slots_used_;
  std::array<std::uint64_t, kPairSlots> pair_set_{};
};

}  // namespace korvex::gds
