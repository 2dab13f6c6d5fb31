// Writes one structure of an input to the output. Stretches of records that nothing changes
// are copied byte for byte; an element that changes is written anew from its parsed form.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "gds/element.h"
#include "korvexe/element_check.h"
#include "korvexe/element_filter.h"
#include "korvexe/input_layout.h"
#include "korvexe/output_file.h"
#include "korvexe/pair_tally.h"

namespace korvex::engine {

// What to do with one element: kKept copies its bytes, kChanged writes the edited element,
// kDropped leaves it out.
using ElementEdit = std::function<Outcome(gds::Element&)>;

struct CopyResult {
  std::uint64_t elements = 0;  // written
  std::vector<LeftOut> left_out;  // for the caller to warn about (LogLeftOut)
};

// The end of structure `s` (just after its ENDSTR), when the index pass found every record of
// it as the format writes it, so that it can be copied byte for byte; nullopt otherwise.
std::optional<std::uint64_t> VerbatimEnd(const InputLayout& in, std::uint32_t s);

// The whole structure as it is, with the STRNAME replaced when `name` is given.
void CopyStructureVerbatim(const InputLayout& in, std::uint64_t offset, std::uint64_t end,
                           const std::string* name, OutputStream& out);

// The structure element by element through `edit` (with `name` as its new name when given).
// Without `out` nothing is written and only the count of surviving elements comes back.
// `before_end`, when given, is called just before the ENDSTR is written (or would be).
CopyResult CopyStructure(const InputLayout& in, std::uint64_t offset, const std::string* name,
                         const ElementEdit& edit, OutputStream* out,
                         const std::function<void()>& before_end = {});

// Only the elements (and the records between them) of the structure at `offset`, through
// `edit`: to append them to a structure being written (without `out`, only counted).
CopyResult CopyElements(const InputLayout& in, std::uint64_t offset, const ElementEdit& edit, OutputStream* out);

}  // namespace korvex::engine
