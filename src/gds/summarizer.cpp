// The library and structure level of the summary: the records between elements.
#include <algorithm>
#include <string_view>

#include "gds/stream_reader.h"
#include "gds/summarizer.h"

namespace korvex::gds {

std::uint32_t Summarizer::Lookup(std::string_view name) {
  if (last_child_ != kNone && name == last_child_name_) return last_child_;
  auto it = names_.find(name);
  std::uint32_t index;
  if (it == names_.end()) {
    index = static_cast<std::uint32_t>(out_.structures.size());
    StructureSummary s;
    s.name = std::string(name);
    out_.structures.push_back(std::move(s));
    it = names_.emplace(std::string(name), index).first;
  } else {
    index = it->second;
  }
  last_child_ = index;
  last_child_name_ = it->first;
  return index;
}

void Summarizer::BeginStructure(const Record& rec, std::string_view name) {
  std::string fixed;
  if (name.empty()) {
    fixed = UnnamedStructureName(rec.offset);
    while (names_.contains(fixed)) fixed += '_';
    Warn(rec.offset, kStrName, "empty structure name replaced");
    name = fixed;
  }
  if (options_.skip_context_info && name == kContextInfoName) {
    skipping_ = true;
    skip_name_ = std::string(name);
    out_.skipped_context_info = true;
    return;
  }
  const std::uint32_t index = Lookup(name);
  StructureSummary& s = out_.structures[index];
  if (s.defined) {
    skipping_ = true;
    skip_name_ = std::string(name);
    Warn(rec.offset, kStrName, "duplicate structure name, later definition ignored");
    return;
  }
  s.defined = true;
  s.unnamed = !fixed.empty();
  s.offset = rec.offset;
  s.first_reference = out_.references.size();
  verbatim_ = fixed.empty();  // a name made for it must be written
  out_.listed.push_back(index);
  current_ = index;
}

void Summarizer::EndStructure() {
  if (current_ != kNone) {
    StructureSummary& s = out_.structures[current_];
    s.reference_count = out_.references.size() - s.first_reference;
    if (!pairs_.empty()) {
      for (std::uint16_t slot : pair_slots_used_) pair_set_[slot] = 0;
      pair_slots_used_.clear();
      if (pairs_.size() > kPairSetLimit) {
        std::sort(pairs_.begin(), pairs_.end());
        pairs_.erase(std::unique(pairs_.begin(), pairs_.end()), pairs_.end());
      }
      s.pairs = pairs_;
      pairs_.clear();
    }
  }
  current_ = kNone;
  in_structure_ = false;
  skipping_ = false;
  skip_name_.clear();
}

Summarizer::Step Summarizer::Rare(std::uint64_t offset, std::uint8_t type, std::size_t size) {
  if (offset >= watch_) {
    if (stop_ != 0 && offset >= stop_) {
      --records_;  // the next part's
      if (offset != stop_ || type != kBgnStr) return Step::kFalseSplit;
      reached_stop_ = true;
      return Step::kLast;
    }
    Progress(offset);
  }
  if (size & 1) Warn(offset, type, "odd record length");
  return Step::kRecord;
}

void Summarizer::Progress(std::uint64_t offset) {
  if (options_.done) options_.done(released_, offset - kProgressLag);
  released_ = offset - kProgressLag;
  Watch(offset + kProgressStep);
}

void Summarizer::Watch(std::uint64_t next_progress) {
  watch_ = stop_ != 0 ? std::min<std::uint64_t>(stop_, next_progress) : next_progress;
}

bool Summarizer::Run() {
  const bool ok = ReadAll();
  out_.records += records_;
  out_.pair_totals = pair_totals_.Totals();
  return ok;
}

bool Summarizer::ReadAll() {
  const std::string bad = CheckSignature(data_, size_);
  if (!bad.empty()) {
    diag_.Fail(0, "", "", bad);
    return false;
  }
  reader_.Seek(start_);
  units_ = start_ > 0;
  Watch(start_ + kProgressStep);
  released_ = start_;
  Record rec;
  Step step = Next(rec);
  for (;;) {
    if (step == Step::kEnd || step == Step::kError) {
      EndOfData(step);
      return true;
    }
    if (step == Step::kFalseSplit) return true;
    ElementKind kind;
    if (ElementKindOfStart(rec.type, kind)) {
      // One outside a structure is read all the same, so that its records do not each raise
      // a warning; it is not counted.
      if (!in_structure_) Warn(rec.offset, rec.type, "element outside a structure skipped");
      step = ReadElements(kind, rec);
      continue;
    }
    if (!OutsideElements(rec, step == Step::kLast)) return true;
    step = Next(rec);
  }
}

void Summarizer::EndOfData(Step step) {
  if (step == Step::kError) {
    diag_.Fail(reader_.error_offset(), reader_.error_record(), current_name(), reader_.error());
    if (current_ != kNone) out_.structures[current_].incomplete = true;
  } else if (!out_.saw_endlib) {
    diag_.Warn(reader_.offset(), "", "", "missing ENDLIB");
  }
  if (in_structure_) {
    if (!diag_.failed()) Warn(reader_.offset(), 0xFF, "missing ENDSTR");
    EndStructure();
  }
}

// A record between elements. `last`: the BGNSTR where the next part starts.
bool Summarizer::OutsideElements(const Record& rec, bool last) {
  switch (rec.type) {
    case kBgnStr:
      if (!units_) {
        if (!out_.header.has_units) Warn(rec.offset, kBgnStr, "missing UNITS, assuming 0.001 and 1e-9");
        units_ = true;
      }
      if (in_structure_) {
        Warn(rec.offset, kBgnStr, "missing ENDSTR");
        EndStructure();
      }
      if (last) return false;
      StructureStart(rec);
      return true;
    case kEndStr:
      if (!in_structure_) Warn(rec.offset, kEndStr, "ENDSTR outside a structure");
      if (current_ != kNone) {
        StructureSummary& s = out_.structures[current_];
        s.end = reader_.offset();
        s.verbatim = verbatim_ && rec.size == 0 && rec.data_type == kNoData;
      }
      EndStructure();
      return true;
    case kEndLib:
      out_.saw_endlib = true;
      if (in_structure_) {
        Warn(rec.offset, kEndLib, "missing ENDSTR");
        EndStructure();
      }
      if (std::any_of(data_ + reader_.offset(), data_ + size_, [](std::uint8_t b) { return b != 0; }))
        diag_.Warn(reader_.offset(), "", "", "data after ENDLIB ignored");
      return false;
    case kStrName:
      Warn(rec.offset, rec.type, "STRNAME out of place skipped");
      verbatim_ = false;
      return true;
    default:
      // Between elements only properties are written; STRCLASS may stand before the first.
      if (rec.type != kPropAttr && rec.type != kPropValue && !(in_header_ && rec.type == kStrClass)) verbatim_ = false;
      LibraryRecord(rec);
      return true;
  }
}

void Summarizer::StructureStart(const Record& rec) {
  in_structure_ = true;
  in_header_ = true;
  // STRNAME normally follows directly.
  Record name;
  const std::uint64_t here = reader_.offset();
  if (reader_.Next(name) == RecordReader::Status::kRecord && name.type == kStrName) {
    ++records_;
    if (name.size & 1) Warn(name.offset, kStrName, "odd record length");
    BeginStructure(rec, name.Text());
  } else {
    reader_.Seek(here);
    Warn(rec.offset, kBgnStr, "structure without STRNAME");
    BeginStructure(rec, "");
  }
}

// The library header records, metadata, and what has no place between elements.
void Summarizer::LibraryRecord(const Record& rec) {
  switch (rec.type) {
      case kHeader:
        if (rec.offset == 0) {
          out_.header.version = rec.Int16(0);
          break;
        }
        Warn(rec.offset, rec.type, "record out of place skipped");
        break;
      case kBgnLib:
        met_library_header_ = true;
        for (std::size_t i = 0; i < 12; ++i) out_.header.dates[i] = rec.Int16(i);
        break;
      case kLibName:
        met_library_header_ = true;
        out_.header.name = std::string(rec.Text());
        break;
      case kUnits:
        met_library_header_ = true;
        if (rec.Count64() >= 2 && !out_.header.has_units) {
          out_.header.user_unit = rec.Real(0);
          out_.header.metre_unit = rec.Real(1);
          out_.header.has_units = true;
          if (out_.header.DbuPerUserUnit() <= 0 || out_.header.MetresPerUserUnit() <= 0) {
            Warn(rec.offset, kUnits, "unusable UNITS, assuming 0.001 and 1e-9");
            out_.header.user_unit = Real8::FromDouble(0.001);
            out_.header.metre_unit = Real8::FromDouble(1e-9);
          }
        } else {
          Warn(rec.offset, kUnits, "bad or repeated UNITS ignored");
        }
        break;
      case kPropAttr:
      case kPropValue:
      case kStrClass:
      case kRefLibs:
      case kFonts:
      case kAttrTable:
      case kGenerations:
      case kFormat:
      case kMask:
      case kEndMasks:
      case kLibDirSize:
      case kSrfName:
      case kLibSecur:
        break;  // metadata without a bearing on the scan
    default:
      Warn(rec.offset, rec.type, rec.type >= 0x3C ? "unknown record skipped" : "record out of place skipped");
      break;
  }
}

}  // namespace korvex::gds
