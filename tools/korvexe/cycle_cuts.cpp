#include "korvexe/cycle_cuts.h"

#include "gds/record.h"
#include "korvexe/element_filter.h"
#include "korvexe/structure_names.h"

namespace korvex::engine {

CycleCuts::CycleCuts(const std::vector<std::vector<std::uint32_t>>& children, const std::vector<std::uint32_t>& order)
    : cut_from_(children.size(), false) {
  // Without recursion: chains may be 100,000 levels deep. 0 new, 1 on the path, 2 done.
  std::vector<std::uint8_t> state(children.size(), 0);
  std::vector<std::pair<std::uint32_t, std::size_t>> path;  // structure, next child
  for (std::uint32_t root : order) {
    if (state[root] != 0) continue;
    state[root] = 1;
    path.emplace_back(root, 0);
    while (!path.empty()) {
      auto& [s, next] = path.back();
      if (next == children[s].size()) {
        state[s] = 2;
        path.pop_back();
        continue;
      }
      const std::uint32_t c = children[s][next++];
      if (state[c] == 1) {
        cut_from_[s] = true;
        cuts_.insert(std::uint64_t{s} << 32 | c);
      } else if (state[c] == 0) {
        state[c] = 1;
        path.emplace_back(c, 0);  // `s` and `next` are not used after this
      }
    }
  }
}

void WarnCycleCut(const std::string& structure, const gds::Element& reference, EngineLog& log) {
  const std::string why = reference.sname == structure ? "the structure places itself"
                                                       : Shown(reference.sname) + " is above " + Shown(structure);
  log.Warning(ElementPlace(structure, reference.offset) + " (" + gds::RecordName(gds::StartRecordOf(reference.kind)) +
                  " of " + Shown(reference.sname) + ") not written: it closes a reference cycle, " + why,
              "reference cycle");
}

}  // namespace korvex::engine
