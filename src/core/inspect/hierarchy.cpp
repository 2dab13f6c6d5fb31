#include <cstring>
#include <optional>

#include "core/inspect/scan_report.h"

namespace korvex {
namespace {

// Drawing of the hierarchy: each independent structure starts a line with its name; below
// it each reference is drawn "  |__ NAME" behind one "  |  " column per level above it,
// between connector lines "  |" (any line holding "  |" that is no reference).
constexpr std::string_view kReferenceMarker = "  |__ ";
constexpr std::string_view kUndefined = "(UNDEFINED)";

struct TreeEntry {
  // Characters before the blank that precedes the name ("  |__ A" gives 5); -1 for an
  // independent structure, whose name starts its line.
  std::ptrdiff_t prefix;
};

// The structure a hierarchy line names: the text after "|__ " when the line's first "_"
// starts that marker, else the whole line.
std::string_view NamedText(std::string_view line) {
  const std::size_t underscore = line.find('_');
  if (underscore != std::string_view::npos && underscore > 0 && line[underscore - 1] == '|' &&
      line.substr(underscore, 3) == "__ ") {
    return line.substr(underscore + 3);
  }
  return line;
}

// Names are compared as the record holds them: cut to the structure name capacity, so that a
// long name in the drawing still meets its entry in the structure list.
bool SameStructure(std::string_view drawn, std::string_view name) {
  return CutStructureName(drawn) == CutStructureName(name);
}

// Moves past the line of the first entry that names `name` below the hierarchy marker.
std::optional<TreeEntry> FindTreeEntry(CTextFile& report, std::string_view name) {
  report.Rewind();
  bool inHierarchy = false;
  while (report.ReadLine()) {
    const std::string_view line = report.line();
    if (!inHierarchy) {
      inHierarchy = line.starts_with(kHierarchyMarker);
      continue;
    }
    if (line.empty()) continue;
    const std::string_view named = NamedText(line);
    if (!SameStructure(named, name)) continue;
    const auto nameStart = static_cast<std::ptrdiff_t>(named.data() - line.data());
    return TreeEntry{nameStart - 1};
  }
  return std::nullopt;
}

// Offset of the last "|" of a line, or none.
std::optional<std::size_t> LastBar(std::string_view line) {
  const void* bar = ::memrchr(line.data(), '|', line.size());
  if (bar == nullptr) return std::nullopt;
  return static_cast<std::size_t>(static_cast<const char*>(bar) - line.data());
}

// A line belongs to the entry's tree while its last "|" stands right of the entry's column.
bool InTree(std::string_view line, const TreeEntry& entry) {
  const auto bar = LastBar(line);
  return bar && static_cast<std::ptrdiff_t>(*bar) >= entry.prefix + 1;
}

// Offset of the first "  |__ " of a line, or npos. Found through its first "_", which
// memchr finds fast in the long blank runs of a deep drawing.
std::size_t FindReferenceMarker(std::string_view line) {
  for (std::size_t p = 0; (p = line.find('_', p)) != std::string_view::npos; ++p) {
    if (p >= 3 && line.substr(p - 3, kReferenceMarker.size()) == kReferenceMarker) return p - 3;
  }
  return std::string_view::npos;
}

// Depth of a reference line: one more than the bars left of its marker, the first column
// aside; 0 for a line that is no reference.
int ReferenceDepth(std::string_view line) {
  const std::size_t marker = FindReferenceMarker(line);
  if (marker == std::string_view::npos) return 0;
  int bars = 1;
  for (std::size_t i = 1; i < marker; ++i) {
    if (line[i] == '|') ++bars;
  }
  return bars;
}

bool IsConnector(std::string_view line) {
  for (std::size_t p = 0; (p = line.find('|', p)) != std::string_view::npos; ++p) {
    if (p >= 2 && line[p - 1] == ' ' && line[p - 2] == ' ') return true;
  }
  return false;
}

}  // namespace

void ChooseDefaultTop(ScanResult& scan, CTextFile& report) {
  report.Rewind();
  bool inHierarchy = false;
  int bestDepth = -1;
  int depth = 0;
  std::string current;
  const auto closeTree = [&] {
    if (depth >= bestDepth) {
      bestDepth = depth;
      scan.TopStructure.assign(CutStructureName(current));
    }
  };
  while (report.ReadLine()) {
    const std::string_view line = report.line();
    if (!inHierarchy) {
      inHierarchy = line == kHierarchyMarker;
      continue;
    }
    if (line.empty()) continue;
    if (const int reference = ReferenceDepth(line); reference > 0) {
      depth = std::max(depth, reference);
    } else if (!IsConnector(line)) {
      closeTree();
      depth = 0;
      current.assign(line);
    }
  }
  if (inHierarchy) closeTree();
}

void MarkTree(ScanResult& scan, CTextFile& report, std::string_view name) {
  ClearTreeMarks(scan);
  const auto entry = FindTreeEntry(report, name);
  if (!entry) return;
  MarkStructure(scan, CutStructureName(name));
  const auto column = static_cast<std::size_t>(entry->prefix + 1);
  while (report.ReadLine()) {
    const std::string_view line = report.line();
    if (line.empty() || line == "|") continue;
    if (!InTree(line, *entry)) break;
    const std::size_t blank = line.rfind(' ');
    if (blank == std::string_view::npos || blank < column) break;
    const std::string_view referenced = line.substr(blank + 1);
    if (referenced == "|" || referenced == kUndefined) continue;
    MarkStructure(scan, CutStructureName(referenced));
  }
}

std::string TreeText(CTextFile& report, std::string_view name) {
  const auto entry = FindTreeEntry(report, name);
  if (!entry) return {};
  std::string text(name);
  text += "\r\n";
  const auto column = static_cast<std::size_t>(entry->prefix + 1);
  while (report.ReadLine()) {
    const std::string_view line = report.line();
    if (line.empty()) continue;
    if (!InTree(line, *entry)) break;
    text.append(line.substr(column));
    text += "\r\n";
  }
  return text;
}

}  // namespace korvex
