#include "korvexe/structure_copier.h"

#include <algorithm>

#include "gds/record_reader.h"
#include "gds/stream_reader.h"
#include "gds/stream_writer.h"
#include "korvexe/run_control.h"

namespace korvex::engine {
namespace {

bool EndsWith(const InputLayout& in, std::uint64_t end, std::uint8_t type) {
  if (end < 4) return false;
  const std::uint8_t* p = in.data() + end - 4;
  return p[0] == 0 && p[1] == 4 && p[2] == type;
}

}  // namespace

std::optional<std::uint64_t> VerbatimEnd(const InputLayout& in, std::uint32_t s) {
  const gds::StructureSummary& st = in.summary.structures[s];
  if (!st.verbatim) return std::nullopt;
  return st.end;
}

void CopyStructureVerbatim(const InputLayout& in, std::uint64_t offset, std::uint64_t end, const std::string* name,
                           OutputStream& out) {
  if (name == nullptr) {
    CopyRange(in, offset, end, out);
    return;
  }
  gds::RecordReader reader(in.data(), in.size());
  reader.Seek(offset);
  gds::Record rec;
  while (reader.offset() < end && reader.Next(rec) == gds::RecordReader::Status::kRecord) {
    if (rec.type == gds::kStrName) {
      out.records().String(gds::kStrName, *name);
      CopyRange(in, reader.offset(), end, out);
      return;
    }
    CopyRange(in, rec.offset, reader.offset(), out);
  }
}

namespace {

enum class Parts { kWhole, kElements };

// The records of [from, to), between elements, that are written; the others are left out.
void CopyBetween(const InputLayout& in, std::uint64_t from, std::uint64_t to, OutputStream& out,
                 std::vector<LeftOut>& left_out) {
  if (from >= to) return;
  gds::RecordReader reader(in.data(), to);
  reader.Seek(from);
  gds::Record rec;
  std::uint64_t run = from;
  while (reader.Next(rec) == gds::RecordReader::Status::kRecord) {
    if (KeptBetweenElements(rec.type)) continue;
    CopyRange(in, run, rec.offset, out);
    left_out.push_back({rec.offset, rec.type, nullptr});
    run = reader.offset();
  }
  CopyRange(in, run, to, out);
}

CopyResult Copy(const InputLayout& in, std::uint64_t offset, const std::string* name, const ElementEdit& edit,
                OutputStream* out, Parts parts, const std::function<void()>& before_end) {
  CopyResult result;
  gds::Diagnostics ignored;  // the index pass has reported what is wrong in the file
  gds::StreamReader reader(in.data(), in.size(), ignored);
  reader.Seek(offset);
  if (!reader.NextStructure()) return result;
  if (out != nullptr && parts == Parts::kWhole) {
    if (name == nullptr) {
      CopyRange(in, offset, reader.offset(), *out);
    } else {
      gds::StructureHeader header = reader.structure();
      header.name = *name;
      gds::WriteStructureBegin(out->records(), header);
    }
  }
  std::uint64_t run = reader.offset();  // bytes from here on are not written yet
  std::uint64_t last = run;             // the end of the element before
  gds::Element e;
  std::uint64_t seen = 0;
  while (reader.NextElement(e)) {
    if ((++seen & 0xFFF) == 0) CheckStop();
    const std::uint64_t begin = e.offset, end = reader.offset();
    if (out != nullptr && begin > last) {  // records between elements
      CopyRange(in, run, last, *out);
      CopyBetween(in, last, begin, *out, result.left_out);
      run = begin;
    }
    last = end;
    const char* fault = gds::ElementFault(gds::FactsOf(e));
    if (fault != nullptr) result.left_out.push_back({begin, gds::StartRecordOf(e.kind), fault});
    const Outcome outcome = fault != nullptr ? Outcome::kDropped : edit(e);
    if (outcome != Outcome::kDropped) ++result.elements;
    if (out == nullptr) continue;
    // An element whose bytes are not a valid element as they stand (no ENDEL, records out of
    // order, repeated or damaged) is written anew from what it holds.
    if (outcome == Outcome::kKept && ElementAsWritten(in.data(), end, begin)) continue;
    CopyRange(in, run, begin, *out);
    if (outcome != Outcome::kDropped) gds::WriteElement(out->records(), e);
    run = end;
  }
  if (out != nullptr) {
    std::uint64_t tail = reader.offset();
    if (tail >= run + 4 && EndsWith(in, tail, gds::kEndStr)) tail -= 4;
    CopyRange(in, run, std::max(run, std::min(last, tail)), *out);
    CopyBetween(in, std::max(run, std::min(last, tail)), tail, *out, result.left_out);
  }
  if (parts == Parts::kWhole && before_end) before_end();
  if (out != nullptr) {
    if (parts == Parts::kWhole) out->records().Empty(gds::kEndStr);
    out->Check();
  }
  return result;
}

}  // namespace

CopyResult CopyStructure(const InputLayout& in, std::uint64_t offset, const std::string* name,
                         const ElementEdit& edit, OutputStream* out, const std::function<void()>& before_end) {
  return Copy(in, offset, name, edit, out, Parts::kWhole, before_end);
}

CopyResult CopyElements(const InputLayout& in, std::uint64_t offset, const ElementEdit& edit, OutputStream* out) {
  return Copy(in, offset, nullptr, edit, out, Parts::kElements, {});
}

}  // namespace korvex::engine
