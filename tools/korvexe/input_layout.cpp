#include "korvexe/input_layout.h"

#include <fcntl.h>
#include <unistd.h>

#include <map>

#include "gds/layout_file.h"
#include "core/support/progress_channel.h"
#include "gds/stream_reader.h"
#include "korvexe/output_file.h"
#include "korvexe/run_control.h"

namespace korvex::engine {
namespace {

constexpr std::uint64_t kKeepBehind = 32u << 20;

std::string Units(const gds::LibraryHeader& h) {
  char text[160];
  std::snprintf(text, sizeof text, "%lld database units per user unit, user unit %.6g m, database unit %.6g m",
                static_cast<long long>(h.DbuPerUserUnit()), h.MetresPerUserUnit(), h.metre_unit.value());
  return text;
}

}  // namespace

std::vector<std::uint32_t> InputLayout::Independent() const {
  std::vector<std::uint32_t> out;
  for (std::uint32_t s : summary.listed)
    if (!hierarchy.referenced[s]) out.push_back(s);
  return out;
}

void CopyRange(const InputLayout& in, std::uint64_t from, std::uint64_t to, OutputStream& out) {
  out.CopyInput(in.file.descriptor(), in.data(), from, to);
}

void ReleaseBehind(InputLayout& layout, std::uint64_t offset) {
  if (offset < layout.released + 2 * kKeepBehind) return;
  layout.file.Release(layout.released, offset - kKeepBehind);
  layout.released = offset - kKeepBehind;
}

void LogReaderWarnings(const gds::Diagnostics& diagnostics, const std::string& label, EngineLog& log) {
  std::map<std::string, std::size_t, std::less<>> detailed;
  for (const gds::Issue& issue : diagnostics.issues()) {
    if (issue.fatal) continue;
    ++detailed[issue.message];
    log.Warning(label + ": " + issue.Text());
  }
  for (const auto& [message, count] : diagnostics.counts()) {
    const auto it = detailed.find(message);
    const std::size_t shown = it == detailed.end() ? 0 : it->second;
    if (count > shown)
      log.Warnings(count - shown, label + ": " + std::to_string(count - shown) + " more: " + message);
  }
}

gds::LibraryHeader ReadHeaderRecords(const InputLayout& layout) {
  gds::Diagnostics ignored;  // the index pass has reported them
  gds::StreamReader reader(layout.data(), layout.size(), ignored);
  gds::LibraryHeader header;
  reader.ReadLibraryHeader(header);
  return header;
}

void LoadLayout(const std::string& path, InputLayout& layout, EngineLog& log, ProgressChannel& progress) {
  OpenLayout(path, layout, log, progress);
  IndexLayout(layout, log, progress);
}

void OpenLayout(const std::string& path, InputLayout& layout, EngineLog& log, ProgressChannel& progress) {
  layout.path = path;
  gds::LayoutFileInfo stored;
  std::string error;
  // A compressed input is inflated first, as a phase of its own.
  if (!gds::OpenLayoutFile(path, layout.file, stored, error,
                           progress.Follow("inflating", [] { return StopSignal() == 0; }))) {
    CheckStop();
    throw EngineError("cannot read " + path + ": " + error);
  }
  if (stored.compressed) {
    progress.Set(stored.stored_size);
    progress.End();
    log.Line("Decompressed " + path + ": " + std::to_string(stored.stored_size) + " bytes gzip-compressed, " +
             std::to_string(layout.size()) + " bytes of GDSII");
  }
}

void IndexLayout(InputLayout& layout, EngineLog& log, ProgressChannel& progress) {
  const std::string& path = layout.path;
  layout.file.AdviseSequential();
  gds::SummaryOptions options;
  options.skip_context_info = false;  // a filter keeps every structure
  options.extents = false;
  options.copy_facts = true;
  options.done = [&layout, &progress](std::size_t from, std::size_t to) {
    layout.file.Release(from, to);
    progress.Add(to - from);
  };
  options.threads = 2;
  progress.Begin("reading", layout.size());
  const bool ok = gds::Summarize(layout.data(), layout.size(), layout.diagnostics, layout.summary, options);
  CheckStop();
  LogReaderWarnings(layout.diagnostics, path, log);
  if (!ok || layout.diagnostics.failed()) {
    const gds::Issue* fatal = layout.diagnostics.fatal();
    throw EngineError(path + ": " + (fatal ? fatal->Text() : std::string("not a GDSII file")));
  }
  progress.End();
  layout.hierarchy = gds::ResolveHierarchy(layout.summary);  // its extents are not used here
  layout.names.clear();
  layout.names.reserve(layout.summary.structures.size());
  layout.by_name.clear();
  for (const gds::StructureSummary& s : layout.summary.structures) {
    layout.by_name.emplace(s.name, static_cast<std::uint32_t>(layout.names.size()));
    layout.names.push_back(s.name);
  }

  const gds::LayoutSummary& s = layout.summary;
  std::uint64_t elements = 0;
  for (std::uint32_t i : s.listed)
    for (std::uint64_t c : s.structures[i].counts) elements += c;
  log.Line("Input " + path + ": " + std::to_string(layout.size()) + " bytes, library " + s.header.name);
  log.Line("  Units: " + Units(s.header));
  log.Line("  Structures: " + std::to_string(s.listed.size()) + ", elements: " + std::to_string(elements));
  if (s.header.DbuPerUserUnit() <= 0) throw EngineError(path + ": unusable UNITS");
}

}  // namespace korvex::engine
