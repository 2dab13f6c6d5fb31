// One input file, mapped and indexed: the index pass before anything is written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "gds/diagnostics.h"
#include "gds/hierarchy.h"
#include "gds/layout_summary.h"
#include "gds/mapped_file.h"
#include "korvexe/engine_log.h"

namespace korvex {
class ProgressChannel;
}

namespace korvex::engine {

class OutputStream;

struct InputLayout {
  std::string path;
  gds::MappedFile file;  // its descriptor also serves the copies from file to file
  gds::Diagnostics diagnostics;
  gds::LayoutSummary summary;
  gds::Hierarchy hierarchy;
  std::vector<std::string> names;  // per summary structure, for name look-ups
  std::unordered_map<std::string, std::uint32_t> by_name;
  std::uint64_t released = 0;  // mapped pages before this offset were given back

  const std::uint8_t* data() const { return file.data(); }
  std::size_t size() const { return file.size(); }
  std::int64_t dbu_per_user_unit() const { return summary.header.DbuPerUserUnit(); }
  // Size of one database unit in metres.
  double metres_per_dbu() const { return summary.header.metre_unit.value(); }
  // The summary index of a structure or referenced name.
  std::optional<std::uint32_t> Find(const std::string& name) const {
    const auto it = by_name.find(name);
    if (it == by_name.end()) return std::nullopt;
    return it->second;
  }
  // Defined structures that no defined structure references, in file order.
  std::vector<std::uint32_t> Independent() const;
};

// Whether structure `s` has no name of its own in the file (an empty or missing STRNAME): the
// name it is known by must be written.
inline bool IsUnnamed(const InputLayout& layout, std::uint32_t s) { return layout.summary.structures[s].unnamed; }

// The library header records as they are in the file (for writing them back).
gds::LibraryHeader ReadHeaderRecords(const InputLayout& layout);

// Maps and indexes `path`, logging its units, counts and the reader's warnings. Throws
// EngineError when the file cannot be read, is not GDSII or is broken (a truncated record,
// a bad record length): nothing is written from a file that cannot be read to its end.
// The reading is one "reading" phase on `progress`.
void LoadLayout(const std::string& path, InputLayout& layout, EngineLog& log, ProgressChannel& progress);
// The two halves of LoadLayout(): mapping the file (inflating a compressed one), then the
// index pass.
void OpenLayout(const std::string& path, InputLayout& layout, EngineLog& log, ProgressChannel& progress);
void IndexLayout(InputLayout& layout, EngineLog& log, ProgressChannel& progress);

// The log lines for the reader's warnings (kept details, then counts of the rest).
void LogReaderWarnings(const gds::Diagnostics& diagnostics, const std::string& label, EngineLog& log);

// Copies bytes [from, to) of the input to the output as they are.
void CopyRange(const InputLayout& in, std::uint64_t from, std::uint64_t to, OutputStream& out);

// Gives back the mapped pages before `offset` (a streaming pass keeps its memory small).
void ReleaseBehind(InputLayout& layout, std::uint64_t offset);

}  // namespace korvex::engine
