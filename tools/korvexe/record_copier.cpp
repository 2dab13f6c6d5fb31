#include "korvexe/record_copier.h"

#include <algorithm>

#include "gds/element_grammar.h"
#include "gds/record_reader.h"
#include "gds/stream_reader.h"
#include "gds/stream_writer.h"
#include "korvexe/element_check.h"
#include "korvexe/run_control.h"

namespace korvex::engine {
namespace {

class RecordCopier {
 public:
  RecordCopier(const InputLayout& in, const ElementFilter& filter, FilterCounts& counts, StructureSink* out,
               PairTally* pairs, bool verbatim, bool may_stop)
      : in_(in), filter_(filter), counts_(counts), out_(out), pairs_(pairs), verbatim_(verbatim), may_stop_(may_stop),
        reader_(in.data(), in.size()), element_reader_(in.data(), in.size(), ignored_) {}

  CopyResult Run(std::uint64_t offset, const std::string* name);

 private:
  void Flush(std::uint64_t to) {
    if (out_ != nullptr) out_->CopyInput(in_.file.descriptor(), in_.data(), run_, to);
    run_ = to;
  }
  void Element(const gds::Record& start, gds::ElementKind kind);
  void Rewrite(std::uint64_t begin, const ShapeFields& after);

  const InputLayout& in_;
  const ElementFilter& filter_;
  FilterCounts& counts_;
  StructureSink* out_;  // none: only count
  PairTally* pairs_;
  bool verbatim_;  // the index pass found every element of the structure valid as it stands
  bool may_stop_;
  gds::RecordReader reader_;
  gds::ElementGrammar grammar_;
  gds::Diagnostics ignored_;  // the index pass has reported what is wrong in the file
  gds::StreamReader element_reader_;
  gds::Element element_;
  std::vector<std::uint8_t> patched_;
  std::uint64_t run_ = 0;
  CopyResult result_;
};

CopyResult RecordCopier::Run(std::uint64_t offset, const std::string* name) {
  reader_.Seek(offset);
  run_ = offset;
  gds::Record rec;
  std::uint64_t seen = 0;
  bool ended = false;
  bool supply_end = false;
  bool header = true;  // STRNAME and STRCLASS come before the first element
  bool named = false;
  while (!ended && reader_.Next(rec) == gds::RecordReader::Status::kRecord) {
    gds::ElementKind kind;
    if (rec.offset > offset && (rec.type == gds::kBgnStr || rec.type == gds::kEndLib)) {
      reader_.Seek(rec.offset);  // a structure without its ENDSTR: it ends here
      break;
    }
    if (rec.offset == offset) continue;  // BGNSTR
    if (rec.type == gds::kStrName && header && !named) {
      named = true;
      if (name != nullptr && out_ != nullptr) {
        Flush(rec.offset);
        out_->records().String(gds::kStrName, *name);
        run_ = reader_.offset();
      }
    } else if (rec.type == gds::kEndStr) {
      ended = true;
      if (rec.size != 0 || rec.data_type != gds::kNoData) {  // one that carries data is written anew
        Flush(rec.offset);
        run_ = reader_.offset();
        supply_end = true;
      }
    } else if (gds::ElementKindOfStart(rec.type, kind)) {
      header = false;
      if ((++seen & 0xFFF) == 0 && may_stop_) CheckStop();
      Element(rec, kind);
    } else if (!(header && rec.type == gds::kStrClass) && !KeptBetweenElements(rec.type)) {
      Flush(rec.offset);  // what the format does not allow between elements is left out
      run_ = reader_.offset();
      result_.left_out.push_back({rec.offset, rec.type, nullptr});
    }
  }
  if (out_ == nullptr) return result_;
  // The structure's own ENDSTR stays in the run, so that unchanged neighbours join into one
  // stretch; a missing one is supplied.
  Flush(std::max(reader_.offset(), run_));
  if (!ended || supply_end) out_->records().Empty(gds::kEndStr);
  out_->Check();
  return result_;
}

void RecordCopier::Element(const gds::Record& start, gds::ElementKind kind) {
  const ElementRecords element = ReadElementRecords(reader_, start, kind, grammar_, verbatim_);
  const std::uint64_t end = element.end;
  const char* fault = gds::ElementFault(element.facts);
  const bool shape = kind != gds::ElementKind::kSRef && kind != gds::ElementKind::kARef;
  ShapeFields changed = element.fields;
  Outcome outcome = Outcome::kDropped;
  if (fault != nullptr) {
    result_.left_out.push_back({start.offset, start.type, fault});
  } else {
    outcome = shape ? filter_.Numbers(changed, counts_) : Outcome::kKept;
    if (pairs_ != nullptr) pairs_->Count(PairOf(kind, element.fields.layer, element.fields.datatype), outcome != Outcome::kDropped);
  }
  if (outcome == Outcome::kDropped) {
    Flush(start.offset);
    run_ = end;
    return;
  }
  if (shape) ++result_.elements;  // references are counted by the caller where it matters
  if (out_ == nullptr || (outcome == Outcome::kKept && element.as_written)) return;  // stays in the run
  Flush(start.offset);
  // Only numbers change: the element's own bytes with the new values in place.
  if (element.as_written && PatchedElement(in_.data(), start.offset, element, changed, patched_))
    out_->CopyBytes(patched_.data(), patched_.size());
  else
    Rewrite(start.offset, changed);
  run_ = end;
}

// Writes the element at `begin` anew from its values, with the changed numbers: in the
// format's order, once each, without the records it did not use, with an ENDEL.
void RecordCopier::Rewrite(std::uint64_t begin, const ShapeFields& after) {
  if (!element_reader_.ReadElementAt(begin, element_)) return;
  element_.layer = after.layer;
  if (gds::TypeRecordOf(element_.kind) != 0) element_.datatype = after.datatype;
  if (element_.kind == gds::ElementKind::kPath || element_.kind == gds::ElementKind::kText) element_.width = after.width;
  gds::WriteElement(out_->records(), element_);
}

}  // namespace

CopyResult CopyStructureByRecords(const InputLayout& in, std::uint32_t s, const std::string* name,
                                  const ElementFilter& filter, FilterCounts& counts, StructureSink* out,
                                  PairTally* pairs, bool may_stop) {
  const gds::StructureSummary& st = in.summary.structures[s];
  return RecordCopier(in, filter, counts, out, pairs, st.verbatim, may_stop).Run(st.offset, name);
}

std::uint64_t CountShapesByRecords(const InputLayout& in, std::uint32_t s, const ElementFilter& filter) {
  FilterCounts ignored;
  const gds::StructureSummary& st = in.summary.structures[s];
  return RecordCopier(in, filter, ignored, nullptr, nullptr, st.verbatim, true).Run(st.offset, nullptr).elements;
}

}  // namespace korvex::engine
