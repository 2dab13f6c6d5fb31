#include "korvexe/record_copier.h"

#include <cmath>

#include "gds/element_grammar.h"
#include "gds/record_reader.h"
#include "korvexe/run_control.h"

namespace korvex::engine {
namespace {

// A value the element grammar lets the element take (the first usable one of its kind).
void Note(const gds::Record& r, ShapeFields& f) {
  switch (r.type) {
    case gds::kLayer: f.layer = r.Number(); break;
    case gds::kDatatype:
    case gds::kTextType:
    case gds::kNodeType:
    case gds::kBoxType: f.datatype = r.Number(); break;
    case gds::kWidth: f.width = r.Int32(0); break;
    case gds::kMag: {
      const double m = r.Real(0).value();
      if (std::isfinite(m)) f.mag = m;
      break;
    }
    default: break;
  }
}

class RecordCopier {
 public:
  RecordCopier(const InputLayout& in, const ElementFilter& filter, FilterCounts& counts, OutputStream* out)
      : in_(in), filter_(filter), counts_(counts), out_(out), reader_(in.data(), in.size()) {}

  CopyResult Run(std::uint64_t offset, const std::string* name);

 private:
  void Flush(std::uint64_t to) {
    if (out_ != nullptr) CopyRange(in_, run_, to, *out_);
    run_ = to;
  }
  void Element(const gds::Record& start, gds::ElementKind kind);
  void Patch(std::uint64_t begin, std::uint64_t end, gds::ElementKind kind, const ShapeFields& before,
             const ShapeFields& after, bool add_endel);

  const InputLayout& in_;
  const ElementFilter& filter_;
  FilterCounts& counts_;
  OutputStream* out_;  // none: only count
  gds::RecordReader reader_;
  gds::ElementGrammar grammar_;
  std::uint64_t run_ = 0;
  CopyResult result_;
};

CopyResult RecordCopier::Run(std::uint64_t offset, const std::string* name) {
  reader_.Seek(offset);
  run_ = offset;
  gds::Record rec;
  std::uint64_t seen = 0;
  bool ended = false;
  while (!ended && reader_.Next(rec) == gds::RecordReader::Status::kRecord) {
    gds::ElementKind kind;
    if (rec.offset > offset && (rec.type == gds::kBgnStr || rec.type == gds::kEndLib)) {
      reader_.Seek(rec.offset);  // a structure without its ENDSTR: it ends here
      break;
    }
    if (rec.type == gds::kStrName && name != nullptr && out_ != nullptr) {
      Flush(rec.offset);
      out_->records().String(gds::kStrName, *name);
      run_ = reader_.offset();
    } else if (rec.type == gds::kEndStr) {
      ended = true;
    } else if (gds::ElementKindOfStart(rec.type, kind)) {
      if ((++seen & 0xFFF) == 0) CheckStop();
      Element(rec, kind);
    }
  }
  if (out_ == nullptr) return result_;
  // The structure's own ENDSTR stays in the run, so that unchanged neighbours join into one
  // stretch; a missing one is supplied.
  Flush(std::max(reader_.offset(), run_));
  if (!ended) out_->records().Empty(gds::kEndStr);
  out_->Check();
  return result_;
}

void RecordCopier::Element(const gds::Record& start, gds::ElementKind kind) {
  ShapeFields fields;
  fields.kind = kind;
  gds::Record rec;
  bool has_endel = false;
  std::uint64_t end = reader_.offset();
  grammar_.Start(kind);
  while (reader_.Next(rec) == gds::RecordReader::Status::kRecord) {
    const gds::ElementRole role = grammar_.Classify(rec).role;
    if (role == gds::ElementRole::kEnd) {
      has_endel = true;
      end = reader_.offset();
      break;
    }
    if (role == gds::ElementRole::kCutOff) {
      reader_.Seek(rec.offset);  // the next element or the end of the structure
      end = rec.offset;
      break;
    }
    if (role == gds::ElementRole::kValue) Note(rec, fields);
    end = reader_.offset();
  }
  const bool shape = kind != gds::ElementKind::kSRef && kind != gds::ElementKind::kARef;
  ShapeFields changed = fields;
  const Outcome outcome = shape ? filter_.Numbers(changed, counts_) : Outcome::kKept;
  if (outcome == Outcome::kDropped) {
    Flush(start.offset);
    run_ = end;
    return;
  }
  if (shape) ++result_.elements;  // references are counted by the caller where it matters
  if (out_ == nullptr || (outcome == Outcome::kKept && has_endel)) return;  // stays in the run
  Flush(start.offset);
  Patch(start.offset, end, kind, fields, changed, !has_endel);
  run_ = end;
}

// Copies the element's records with the changed numbers written in place of the values the
// element took; a WIDTH the element lacked goes just before its XY. Repeated and damaged
// records are copied as they were.
void RecordCopier::Patch(std::uint64_t begin, std::uint64_t end, gds::ElementKind kind, const ShapeFields& before,
                         const ShapeFields& after, bool add_endel) {
  gds::RecordReader reader(in_.data(), end);
  reader.Seek(begin);
  gds::Record rec;
  gds::RecordWriter& w = out_->records();
  reader.Next(rec);  // the start record
  w.Raw(rec.type, rec.data_type, {rec.data, rec.size});
  gds::ElementGrammar grammar;
  grammar.Start(kind);
  const bool add_width = after.width && !before.width;
  while (reader.Next(rec) == gds::RecordReader::Status::kRecord) {
    const bool value = grammar.Classify(rec).role == gds::ElementRole::kValue;
    if (value && rec.type == gds::kLayer) {
      w.Int16(gds::kLayer, static_cast<std::int16_t>(*after.layer));
      continue;
    }
    if (value && rec.type == gds::TypeRecordOf(kind)) {
      w.Int16(rec.type, static_cast<std::int16_t>(*after.datatype));
      continue;
    }
    if (value && rec.type == gds::kWidth && after.width != before.width) {
      w.Int32(gds::kWidth, *after.width);
      continue;
    }
    if (value && rec.type == gds::kXY && add_width) w.Int32(gds::kWidth, *after.width);
    w.Raw(rec.type, rec.data_type, {rec.data, rec.size});
  }
  if (add_endel) w.Empty(gds::kEndEl);
}

}  // namespace

CopyResult CopyStructureByRecords(const InputLayout& in, std::uint64_t offset, const std::string* name,
                                  const ElementFilter& filter, FilterCounts& counts, OutputStream& out) {
  return RecordCopier(in, filter, counts, &out).Run(offset, name);
}

std::uint64_t CountShapesByRecords(const InputLayout& in, std::uint64_t offset, const ElementFilter& filter) {
  FilterCounts ignored;
  return RecordCopier(in, filter, ignored, nullptr).Run(offset, nullptr).elements;
}

}  // namespace korvex::engine
