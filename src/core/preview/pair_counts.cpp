#include "core/preview/pair_counts.h"

#include <charconv>

namespace korvex {
namespace {

// Reads the expected text or a number at the front of `rest`, consuming it.
class LineReader {
 public:
  explicit LineReader(std::string_view line) : m_rest(line) {}

  bool Text(std::string_view expected) {
    if (m_rest.substr(0, expected.size()) != expected) return false;
    m_rest.remove_prefix(expected.size());
    return true;
  }
  template <typename T>
  bool Number(T& value) {
    const auto [end, error] = std::from_chars(m_rest.data(), m_rest.data() + m_rest.size(), value);
    if (error != std::errc() || end == m_rest.data()) return false;
    m_rest.remove_prefix(static_cast<std::size_t>(end - m_rest.data()));
    return true;
  }
  bool Pair(int& layer, int& datatype) { return Number(layer) && Text("/") && Number(datatype); }
  bool AtEnd() const { return m_rest.find_first_not_of(" \t") == std::string_view::npos; }

 private:
  std::string_view m_rest;
};

bool ReadPairLine(std::string_view line, PairCount& pair) {
  LineReader r(line);
  if (!r.Text("Pair ") || !r.Pair(pair.layer, pair.datatype) || !r.Text(" -> ")) return false;
  if (r.Text("dropped: ")) {
    pair.dropped = true;
    return r.Number(pair.in) && r.Text(" in") && r.AtEnd();
  }
  return r.Pair(pair.newLayer, pair.newDatatype) && r.Text(": ") && r.Number(pair.in) && r.Text(" in, ") &&
         r.Number(pair.out) && r.Text(" out") && r.AtEnd();
}

template <typename Visit>
void ForEachLine(std::string_view log, Visit visit) {
  while (!log.empty()) {
    const std::size_t lf = log.find('\n');
    std::string_view line = log.substr(0, lf);
    log = lf == std::string_view::npos ? std::string_view() : log.substr(lf + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    visit(line);
  }
}

}  // namespace

std::vector<PairCount> ReadPairCounts(std::string_view log) {
  std::vector<PairCount> pairs;
  ForEachLine(log, [&](std::string_view line) {
    PairCount pair;
    if (ReadPairLine(line, pair)) pairs.push_back(pair);
  });
  return pairs;
}

std::vector<std::string> ReadRenames(std::string_view log) {
  constexpr std::string_view kPrefix = "Renamed: ";
  std::vector<std::string> renames;
  ForEachLine(log, [&](std::string_view line) {
    if (line.substr(0, kPrefix.size()) == kPrefix) renames.emplace_back(line.substr(kPrefix.size()));
  });
  return renames;
}

}  // namespace korvex
