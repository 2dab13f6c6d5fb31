#include "korvexe/record_copier.h"

#include <cmath>

#include "gds/record_reader.h"
#include "korvexe/run_control.h"

namespace korvex::engine {
namespace {

bool StartsElement(std::uint8_t type, gds::ElementKind& kind) {
  switch (type) {
    case gds::kBoundary: kind = gds::ElementKind::kBoundary; return true;
    case gds::kPath: kind = gds::ElementKind::kPath; return true;
    case gds::kSRef: kind = gds::ElementKind::kSRef; return true;
    case gds::kARef: kind = gds::ElementKind::kARef; return true;
    case gds::kText: kind = gds::ElementKind::kText; return true;
    case gds::kNode: kind = gds::ElementKind::kNode; return true;
    case gds::kBox: kind = gds::ElementKind::kBox; return true;
    default: return false;
  }
}

bool EndsElement(std::uint8_t type) {
  gds::ElementKind ignored;
  return type == gds::kEndEl || type == gds::kEndStr || type == gds::kBgnStr || type == gds::kEndLib ||
         StartsElement(type, ignored);
}

bool IsNumber(const gds::Record& r) {
  return (r.data_type == gds::kInt16 && r.size >= 2) || (r.data_type == gds::kInt32 && r.size >= 4);
}

// The first record of each kind wins, as when elements are read in full.
void Note(const gds::Record& r, gds::ElementKind kind, ShapeFields& f) {
  if (r.type == gds::kLayer && !f.layer && IsNumber(r)) f.layer = r.Number();
  else if (r.type == gds::TypeRecordOf(kind) && !f.datatype && IsNumber(r)) f.datatype = r.Number();
  else if (r.type == gds::kWidth && !f.width && r.size >= 4) f.width = r.Int32(0);
  else if (r.type == gds::kMag && r.size >= 8 && f.mag == 1.0) {
    const double m = r.Real(0).value();
    if (std::isfinite(m)) f.mag = m;
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
    } else if (StartsElement(rec.type, kind)) {
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
  while (reader_.Next(rec) == gds::RecordReader::Status::kRecord) {
    if (EndsElement(rec.type)) {
      if (rec.type == gds::kEndEl) {
        has_endel = true;
        end = reader_.offset();
      } else {
        reader_.Seek(rec.offset);  // the next element or the end of the structure
        end = rec.offset;
      }
      break;
    }
    Note(rec, kind, fields);
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

// Copies the element's records with the changed numbers written anew; a WIDTH the element
// lacked goes just before its XY.
void RecordCopier::Patch(std::uint64_t begin, std::uint64_t end, gds::ElementKind kind, const ShapeFields& before,
                         const ShapeFields& after, bool add_endel) {
  gds::RecordReader reader(in_.data(), end);
  reader.Seek(begin);
  gds::Record rec;
  gds::RecordWriter& w = out_->records();
  bool layer_done = false, type_done = false, width_done = !after.width || after.width == before.width;
  while (reader.Next(rec) == gds::RecordReader::Status::kRecord) {
    if (rec.type == gds::kLayer && !layer_done && IsNumber(rec)) {
      w.Int16(gds::kLayer, static_cast<std::int16_t>(*after.layer));
      layer_done = true;
      continue;
    }
    if (rec.type == gds::TypeRecordOf(kind) && !type_done && IsNumber(rec)) {
      w.Int16(rec.type, static_cast<std::int16_t>(*after.datatype));
      type_done = true;
      continue;
    }
    if (rec.type == gds::kWidth && !width_done && rec.size >= 4) {
      w.Int32(gds::kWidth, *after.width);
      width_done = true;
      continue;
    }
    if (rec.type == gds::kXY && !width_done) {
      w.Int32(gds::kWidth, *after.width);
      width_done = true;
    }
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
