// Fuzz entry point for the stream library: the record reader, the element-level reader and
// writer (a clean input must come back unchanged), the structure index, the one-pass summary
// (read in parts on several threads too, with the same result), the hierarchy and the
// scanner's report.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "gds/hierarchy.h"
#include "gds/layout_summary.h"
#include "gds/record_writer.h"
#include "gds/stream_reader.h"
#include "gds/stream_writer.h"
#include "gds/structure_index.h"
#include "quarn/report.h"

namespace {

using namespace korvex::gds;

struct Structure {
  StructureHeader header;
  std::vector<Element> elements;
};

struct Library {
  LibraryHeader header;
  std::vector<Structure> structures;
  Diagnostics diagnostics;
};

void Read(const std::uint8_t* data, std::size_t size, Library& lib) {
  StreamReader reader(data, size, lib.diagnostics);
  if (!reader.ReadLibraryHeader(lib.header)) return;
  while (reader.NextStructure()) {
    Structure s;
    Element e;
    while (reader.NextElement(e)) s.elements.push_back(e);
    s.header = reader.structure();
    lib.structures.push_back(std::move(s));
  }
}

void RoundTrip(const std::uint8_t* data, std::size_t size) {
  Library lib;
  Read(data, size, lib);
  MemorySink sink;
  {
    RecordWriter w(sink, 0);
    WriteLibraryHeader(w, lib.header);
    for (const Structure& s : lib.structures) {
      WriteStructureBegin(w, s.header);
      for (const Element& e : s.elements) WriteElement(w, e);
      WriteStructureEnd(w, s.header);
    }
    if (!WriteLibraryEnd(w)) return;  // e.g. a record grown past the length limit
  }
  if (lib.diagnostics.failed() || lib.diagnostics.warning_count() > 0) return;
  // A clean input must read back the same.
  Library again;
  Read(sink.bytes.data(), sink.bytes.size(), again);
  if (again.diagnostics.failed() || !(again.header == lib.header) || again.structures.size() != lib.structures.size())
    __builtin_trap();
  for (std::size_t i = 0; i < lib.structures.size(); ++i) {
    const Structure& a = lib.structures[i];
    const Structure& b = again.structures[i];
    if (!a.header.SameContent(b.header) || a.elements.size() != b.elements.size()) __builtin_trap();
    for (std::size_t k = 0; k < a.elements.size(); ++k)
      if (!a.elements[k].SameContent(b.elements[k])) __builtin_trap();
  }
}

// Reading in parts on several threads must give exactly what one pass gives.
void CompareParallel(const std::uint8_t* data, std::size_t size, const Diagnostics& d1, const LayoutSummary& one) {
  SummaryOptions options;
  options.threads = 3;
  options.min_part = 1;
  Diagnostics d2;
  LayoutSummary many;
  Summarize(data, size, d2, many, options);
  if (one.listed != many.listed || one.structures.size() != many.structures.size() ||
      one.references.size() != many.references.size() || one.records != many.records ||
      one.layers.Values() != many.layers.Values() || d1.warning_count() != d2.warning_count() ||
      d1.issues().size() != d2.issues().size())
    __builtin_trap();
  for (std::size_t i = 0; i < one.structures.size(); ++i) {
    const StructureSummary &a = one.structures[i], &b = many.structures[i];
    if (a.name != b.name || a.counts != b.counts || !(a.local == b.local) || a.reference_count != b.reference_count)
      __builtin_trap();
  }
  for (std::size_t i = 0; i < d1.issues().size(); ++i)
    if (d1.issues()[i].Text() != d2.issues()[i].Text()) __builtin_trap();
}

void Scan(const std::uint8_t* data, std::size_t size) {
  Diagnostics diagnostics;
  LayoutSummary summary;
  if (!Summarize(data, size, diagnostics, summary)) return;
  CompareParallel(data, size, diagnostics, summary);
  const Hierarchy hierarchy = ResolveHierarchy(summary, data, size);
  static std::FILE* null = std::fopen("/dev/null", "wb");
  if (null == nullptr) return;
  korvex::quarn::ReportSink sink(null);
  korvex::quarn::ReportOptions options;
  options.max_lines = 5000;
  korvex::quarn::WriteReport(summary, hierarchy, diagnostics, options, sink);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  RoundTrip(data, size);
  Scan(data, size);
  Diagnostics diagnostics;
  StructureIndex index;
  index.Build(data, size, diagnostics);
  return 0;
}
