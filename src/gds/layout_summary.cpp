#include "gds/layout_summary.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <string_view>
#include <thread>

#include "gds/summarizer.h"

namespace korvex::gds {
namespace {

// Where to split the stream for `parts` threads: candidate BGNSTR records found by their bytes
// (a 28-byte BGNSTR followed by a STRNAME) near equal fractions of the file, without reading
// what comes before. A candidate can be a false match inside other data; the part before it
// checks that its records arrive exactly there, and the split is abandoned otherwise.
std::vector<std::size_t> SplitPoints(const std::uint8_t* data, std::size_t size, const SummaryOptions& options) {
  std::vector<std::size_t> splits;
  const unsigned parts = options.threads;
  if (parts < 2 || size / parts < options.min_part) return splits;
  static constexpr std::uint8_t kBgnStrHeader[4] = {0x00, 0x1C, kBgnStr, kInt16};
  for (unsigned k = 1; k < parts; ++k) {
    std::size_t at = std::max(size / parts * k, splits.empty() ? std::size_t{4} : splits.back() + 1);
    while (at + 32 <= size) {
      const auto* hit = static_cast<const std::uint8_t*>(std::memchr(data + at, 0x1C, size - at - 31));
      if (hit == nullptr) break;
      const std::size_t o = static_cast<std::size_t>(hit - data);
      if (o >= 1 && std::memcmp(data + o - 1, kBgnStrHeader, 4) == 0 && data[o + 29] == kStrName &&
          data[o + 30] == kAscii && LoadU16(data + o + 27) >= 4) {
        splits.push_back(o - 1);
        break;
      }
      at = o + 1;
    }
    if (splits.size() != k) break;
  }
  return splits;
}

// Appends a part's findings to `out`, in file order. False when a structure name is defined
// in two parts: the caller then reads the stream in one piece, which keeps the first.
bool MergePart(LayoutSummary& part, Diagnostics& part_diag, LayoutSummary& out, Diagnostics& diag,
               std::unordered_map<std::string, std::uint32_t, StringHash, std::equal_to<>>& names,
               std::size_t keep_per_kind) {
  std::vector<std::uint32_t> global(part.structures.size());
  const std::size_t base = out.references.size();
  for (std::size_t i = 0; i < part.structures.size(); ++i) {
    StructureSummary& s = part.structures[i];
    auto it = names.find(s.name);
    if (it == names.end()) {
      it = names.emplace(s.name, static_cast<std::uint32_t>(out.structures.size())).first;
      out.structures.emplace_back();
      out.structures.back().name = s.name;
    }
    global[i] = it->second;
    if (!s.defined) continue;
    StructureSummary& g = out.structures[it->second];
    if (g.defined) return false;
    g = std::move(s);
    g.first_reference += base;
  }
  for (Reference r : part.references) {
    r.child = global[r.child];
    out.references.push_back(r);
  }
  for (std::uint32_t i : part.listed) out.listed.push_back(global[i]);
  out.layers.InsertAll(part.layers);
  out.datatypes.InsertAll(part.datatypes);
  out.saw_endlib = part.saw_endlib;
  out.skipped_context_info |= part.skipped_context_info;
  out.records += part.records;
  out.largest_text_mag = std::max(out.largest_text_mag, part.largest_text_mag);
  diag.Append(part_diag, keep_per_kind);
  return true;
}

}  // namespace

std::string UnnamedStructureName(std::uint64_t offset) {
  return std::string("$$EMPTY_NAME$$_").append(std::to_string(offset));
}

std::vector<std::uint16_t> NumberSet::Values() const {
  std::vector<std::uint16_t> out;
  for (std::size_t w = 0; w < bits_.size(); ++w) {
    for (std::uint64_t bits = bits_[w]; bits != 0; bits &= bits - 1) {
      out.push_back(static_cast<std::uint16_t>(w * 64 + static_cast<std::size_t>(std::countr_zero(bits))));
    }
  }
  return out;
}

bool Summarize(const std::uint8_t* data, std::size_t size, Diagnostics& diagnostics, LayoutSummary& out,
               const SummaryOptions& options) {
  out = LayoutSummary{};
  const std::vector<std::size_t> splits = SplitPoints(data, size, options);
  if (!splits.empty()) {
    const std::size_t parts = splits.size() + 1;
    std::vector<LayoutSummary> summaries(parts);
    std::vector<Diagnostics> diags(parts, Diagnostics(diagnostics.keep_per_kind()));
    std::vector<char> ok(parts, 0);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < parts; ++i) {
      threads.emplace_back([&, i] {
        Summarizer s(data, size, diags[i], summaries[i], options);
        s.SetPart(i == 0 ? 0 : splits[i - 1], i + 1 < parts ? splits[i] : 0);
        ok[i] = s.Run() && (i + 1 == parts || s.reached_stop()) && (i == 0 || !s.met_library_header());
      });
    }
    for (std::thread& t : threads) t.join();
    bool merged = std::all_of(ok.begin(), ok.end(), [](char b) { return b != 0; });
    Diagnostics combined(diagnostics.keep_per_kind());
    std::unordered_map<std::string, std::uint32_t, StringHash, std::equal_to<>> names;
    out.header = summaries[0].header;
    PairCounter pairs;
    for (std::size_t i = 0; i < parts && merged; ++i) {
      for (const PairTotal& p : summaries[i].pair_totals) pairs.Count(p.layer, p.datatype, p.count);
      merged = MergePart(summaries[i], diags[i], out, combined, names, diagnostics.keep_per_kind());
    }
    if (merged) {
      out.pair_totals = pairs.Totals();
      out.parts = parts;
      diagnostics.Append(combined, diagnostics.keep_per_kind());
      return true;
    }
    out = LayoutSummary{};  // a false split point, or a name defined in two parts: one piece
  }
  Summarizer s(data, size, diagnostics, out, options);
  return s.Run();
}

}  // namespace korvex::gds
