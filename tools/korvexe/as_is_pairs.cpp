#include "korvexe/as_is_pairs.h"

#include "gds/element_grammar.h"
#include "gds/record_reader.h"
#include "gds/stream_writer.h"
#include "korvexe/element_check.h"
#include "korvexe/run_control.h"

namespace korvex::engine {

void CountStructurePairs(const InputLayout& in, std::uint32_t s, PairTally& pairs, bool take_back) {
  const gds::StructureSummary& st = in.summary.structures[s];
  gds::RecordReader reader(in.data(), in.size());
  reader.Seek(st.offset);
  gds::Record rec;
  if (reader.Next(rec) != gds::RecordReader::Status::kRecord || rec.type != gds::kBgnStr) return;
  gds::ElementGrammar grammar;
  std::uint64_t seen = 0;
  while (reader.Next(rec) == gds::RecordReader::Status::kRecord) {
    if (rec.type == gds::kEndStr || rec.type == gds::kBgnStr || rec.type == gds::kEndLib) return;
    gds::ElementKind kind;
    if (!gds::ElementKindOfStart(rec.type, kind)) continue;
    if ((++seen & 0xFFFF) == 0) CheckStop();
    const ElementRecords e = ReadElementRecords(reader, rec, kind, grammar);
    if (gds::ElementFault(e.facts) != nullptr) continue;
    if (const std::optional<PairKey> key = PairOf(kind, e.fields.layer, e.fields.datatype)) {
      if (take_back) pairs.UncountWritten(*key, 1);
      else pairs.CountWritten(*key, 1);
    }
  }
}

void CountAsIsPairs(const InputLayout& in, const std::vector<bool>& as_is, PairTally& pairs) {
  std::uint64_t copied = 0, rest = 0;
  for (std::uint32_t s : in.summary.listed) {
    const gds::StructureSummary& st = in.summary.structures[s];
    const std::uint64_t bytes = st.end > st.offset ? st.end - st.offset : 0;
    (as_is[s] ? copied : rest) += bytes;
  }
  if (copied <= rest) {
    for (std::uint32_t s : in.summary.listed)
      if (as_is[s]) CountStructurePairs(in, s, pairs);
    return;
  }
  for (const gds::PairTotal& p : in.summary.pair_totals) pairs.CountWritten(KeyOf(p.layer, p.datatype), p.count);
  for (std::uint32_t s : in.summary.listed)
    if (!as_is[s]) CountStructurePairs(in, s, pairs, true);
}

}  // namespace korvex::engine
