#include "core/preview/job_preview.h"

#include "core/job/engine_arguments.h"
#include "core/preview/number_fates.h"
#include "core/preview/pair_counts.h"
#include "core/support/number_text.h"
#include "core/support/splitters.h"

namespace korvex {
namespace {

void Line(std::string& out, const std::string& label, const std::string& value) {
  out.append("  ").append(label).append(": ").append(value).append("\n");
}

std::string OnOff(int flag) { return flag != 0 ? "on" : "off"; }
std::string Real(double value) { return FormatReal(value, 1e-10, 64); }
std::string OrNone(const std::string& text) { return text.empty() ? "none" : text; }

std::string ModeText(const JobSettings& s) {
  switch (s.MergeMode) {
    case kMergeModePlain: return "plain translation";
    case kMergeModeMerge: return "merge (first definition of a name wins)";
    case kMergeModeAdd: return "add (later definitions renamed)";
    case kMergeModeBlend: return "blend (later definitions appended)";
    default: return "unknown merge mode " + std::to_string(s.MergeMode);
  }
}

std::string NamesText(const JobSettings& s) {
  if (s.Prune != 0) return "unchanged";
  if (s.SpecifyCase != 0) return s.LowerCase != 0 ? "fixed, lower case" : "fixed, upper case";
  return s.FixNames != 0 ? "fixed" : "unchanged";
}

std::string ListText(const std::string& list, int exclude) {
  if (exclude != 0) return list.empty() ? "all kept" : "drop " + list;
  return list.empty() ? "none kept" : "keep " + list;
}

void DescribeJob(std::string& out, const JobSettings& s, const ScanResult& scan) {
  out += "The job:\n";
  Line(out, "Input", s.InputFile);
  Line(out, "Top structure", scan.TopStructure.empty() ? "every structure" : scan.TopStructure);
  Line(out, "Output", s.OutputFile);
  Line(out, "Working directory", s.WorkingDirectory);
  Line(out, "Mode", ModeText(s));
  if (s.MergeMode != kMergeModePlain) {
    const std::vector<std::string> files = SplitQuotedList(s.MergeFileList, kNoLimit);
    for (const std::string& file : files) Line(out, "With", file);
    if (s.Combine != 0) Line(out, "New top structure", s.NewTopStr);
  } else {
    Line(out, "Layers", ListText(s.LayerList, s.LayerExclude));
    Line(out, "Datatypes", ListText(s.DatatypeList, s.DatatypeExclude));
    Line(out, "Layer map", OrNone(s.LayerMap));
    Line(out, "Datatype map", OrNone(s.DatatypeMap));
    Line(out, "Trim Off Empty Trees", OnOff(s.Prune));
    Line(out, "Structure names", NamesText(s));
    Line(out, "Unfold paths", OnOff(s.Unfold));
    Line(out, "Explode", OnOff(s.Explode));
    Line(out, "Polygon filtering",
         s.PFOn == 0 ? "off"
                     : "min. extent " + Real(s.MinExt) + ", max. extent " + Real(s.MaxExt) + ", max. height/width " +
                           Real(s.HWRatio) + ", max. width/height " + Real(s.WHRatio) + ", max. area ratio " +
                           Real(s.AreaRatio) + ", max. vertices " + std::to_string(s.MaxVertex) + " (0: no limit)");
  }
  Line(out, "Min. path width", Real(s.MinWidth));
  Line(out, "Drop text greater than", Real(s.MaxText));
}

void DescribeNumbers(std::string& out, const char* title, const std::vector<int>& scanned, const std::string& list,
                     int exclude, const std::string& map, bool filtered) {
  out.append("\n").append(title).append(" found by the scan:\n");
  if (scanned.empty()) out += "  none\n";
  for (const NumberFate& fate :
       ResolveNumbers(scanned, filtered ? list : std::string(), filtered ? exclude != 0 : true, filtered ? map : "")) {
    std::string what = !fate.kept ? "dropped"
                       : fate.output != fate.number ? "kept, renumbered to " + std::to_string(fate.output)
                                                    : "kept";
    out.append("  ").append(std::to_string(fate.number)).append(": ").append(what).append("\n");
  }
}

void DescribePairs(std::string& out, const PreviewInputs& inputs) {
  out += "\nLayer/datatype pairs of the dry run:\n";
  if (!inputs.engineRan) {
    out += "  none: the dry run did not finish\n";
    return;
  }
  const std::vector<PairCount> pairs = ReadPairCounts(inputs.engineLog);
  if (pairs.empty()) out += "  none reported\n";
  for (const PairCount& p : pairs) {
    const std::string from = std::to_string(p.layer) + "/" + std::to_string(p.datatype);
    if (p.dropped) {
      out.append("  ").append(from).append(" dropped: ").append(std::to_string(p.in)).append(" in\n");
      continue;
    }
    const std::string to = std::to_string(p.newLayer) + "/" + std::to_string(p.newDatatype);
    out.append("  ").append(from).append(to == from ? " kept" : " renumbered to " + to).append(": ");
    out.append(std::to_string(p.in)).append(" in, ").append(std::to_string(p.out)).append(" out\n");
  }
}

}  // namespace

std::string JobPreviewText(const JobSettings& settings, const ScanResult& scan, const PreviewInputs& inputs) {
  // The job as the engine will get it: polygon filtering turns Explode and Trim on.
  JobSettings s = settings;
  if (!inputs.outputFile.empty()) s.OutputFile = inputs.outputFile;
  BuildEngineArguments(s, scan.TopStructure, !inputs.structureMap.empty());
  const bool plain = s.MergeMode == kMergeModePlain;

  std::string out = "Job preview (dry run: nothing was written)\n\n";
  DescribeJob(out, s, scan);
  DescribeNumbers(out, "Layers", ScannedNumbers(scan, MappingKind::kLayers), s.LayerList, s.LayerExclude, s.LayerMap,
                  plain);
  DescribeNumbers(out, "Datatypes", ScannedNumbers(scan, MappingKind::kDatatypes), s.DatatypeList,
                  s.DatatypeExclude, s.DatatypeMap, plain);
  DescribePairs(out, inputs);

  // What the dry run renamed (the map, name fixing, merge clashes); without one, what the map asks.
  out += inputs.engineRan ? "\nStructures renamed by the dry run:\n" : "\nStructures the map renames:\n";
  std::vector<std::string> renames = ReadRenames(inputs.engineLog);
  if (!inputs.engineRan && plain && s.Prune == 0) {
    for (const std::string& line : inputs.structureMap) {
      const std::size_t blank = line.find(' ');
      renames.push_back(line.substr(0, blank) + " -> " + (blank == std::string::npos ? "" : line.substr(blank + 1)));
    }
  }
  if (renames.empty()) out += "  none\n";
  for (const std::string& rename : renames) out.append("  ").append(rename).append("\n");

  out += "\nWarnings:\n";
  if (inputs.warnings.empty()) out += "  none\n";
  for (const std::string& warning : inputs.warnings) out.append("  Warning: ").append(warning).append("\n");

  out += "\nThe engine's log of the dry run";
  if (inputs.engineRan) out.append(" (exit code ").append(std::to_string(inputs.engineExitCode)).append(")");
  out += ":\n";
  out += inputs.engineLog.empty() ? std::string("  none written\n") : inputs.engineLog;
  return out;
}

}  // namespace korvex
