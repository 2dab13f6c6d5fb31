// The references left out so that a written hierarchy has no cycle: other readers refuse a
// library in which a structure places itself, however indirectly.
#pragma once

#include <cstdint>
#include <unordered_set>
#include <vector>

#include "gds/element.h"
#include "korvexe/engine_log.h"

namespace korvex::engine {

// A walk depth first from the roots (then from every other structure, in the order given)
// cuts each reference back to a structure on its own path: the reference that closes the
// cycle, as seen from the top. Structures are numbered 0..n-1 by the caller.
class CycleCuts {
 public:
  CycleCuts() = default;
  // `children[n]`: the structures that n references (repeats allowed). `order`: where walks
  // start, roots first; each number in it must be below children.size().
  CycleCuts(const std::vector<std::vector<std::uint32_t>>& children, const std::vector<std::uint32_t>& order);

  // Whether the references from `parent` to `child` are left out.
  bool Cut(std::uint32_t parent, std::uint32_t child) const {
    return From(parent) && cuts_.contains(std::uint64_t{parent} << 32 | child);
  }
  // Whether any reference of `parent` is left out.
  bool From(std::uint32_t parent) const { return parent < cut_from_.size() && cut_from_[parent]; }
  std::size_t size() const { return cuts_.size(); }

 private:
  std::vector<bool> cut_from_;
  std::unordered_set<std::uint64_t> cuts_;
};

// The warning for a reference of `structure` left out because it closes a cycle.
void WarnCycleCut(const std::string& structure, const gds::Element& reference, EngineLog& log);

}  // namespace korvex::engine
