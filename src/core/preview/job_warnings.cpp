#include "core/preview/job_warnings.h"

#include "core/preview/number_fates.h"

namespace korvex {
namespace {

std::string Joined(const std::vector<std::string>& parts, const char* separator) {
  std::string text;
  for (const std::string& part : parts) {
    if (!text.empty()) text += separator;
    text += part;
  }
  return text;
}

const char* ModeName(int mergeMode) {
  switch (mergeMode) {
    case kMergeModeMerge: return "Merge";
    case kMergeModeAdd: return "Add";
    default: return "Blend";
  }
}

// A list keeps every scanned number: include naming each of them, or exclude naming none.
bool KeepsAll(const std::vector<int>& scanned, const std::string& list, int exclude) {
  for (const NumberFate& fate : ResolveNumbers(scanned, list, exclude != 0, {})) {
    if (!fate.kept) return false;
  }
  return true;
}

void WarnLacking(std::vector<std::string>& warnings, const char* what, const char* numbers,
                 const std::vector<std::string>& entries) {
  if (entries.empty()) return;
  warnings.push_back(std::string("The ") + what + " names " + numbers + " this file lacks (" + Joined(entries, ", ") +
                     "): it changes nothing there.");
}

void WarnPlain(std::vector<std::string>& w, const JobSettings& s, const ScanResult& scan,
               const std::vector<std::string>& structureMap) {
  const bool pruned = s.Prune != 0 || s.PFOn != 0;
  if (!structureMap.empty() && pruned) {
    w.push_back(std::string("The structure rename map korvex.smp is not passed: ") +
                (s.Prune != 0 ? "Trim Off Empty Trees is on" : "polygon filtering turns Trim Off Empty Trees on") +
                ", so no structure is renamed.");
  }
  if (pruned && (s.SpecifyCase != 0 || s.FixNames != 0)) {
    w.push_back("Structure names are not fixed: Trim Off Empty Trees is on, and the engine takes only one of the two.");
  }
  if (s.PFOn != 0 && (s.Explode == 0 || s.Prune == 0)) {
    w.push_back("Polygon filtering turns Explode and Trim Off Empty Trees on: the output holds the top structure "
                "alone, flattened, and these stay on for later runs.");
  }
  const std::vector<int> layers = ScannedNumbers(scan, MappingKind::kLayers);
  const std::vector<int> datatypes = ScannedNumbers(scan, MappingKind::kDatatypes);
  WarnLacking(w, s.LayerExclude != 0 ? "layer exclude list" : "layer include list", "layers",
              ListEntriesNamingNone(s.LayerList, layers));
  WarnLacking(w, s.DatatypeExclude != 0 ? "datatype exclude list" : "datatype include list", "datatypes",
              ListEntriesNamingNone(s.DatatypeList, datatypes));
  WarnLacking(w, "layer map", "layers", MapRulesNamingNone(s.LayerMap, layers));
  WarnLacking(w, "datatype map", "datatypes", MapRulesNamingNone(s.DatatypeMap, datatypes));

  std::vector<std::string> carried;
  if (!s.LayerMap.empty()) carried.push_back("layer map");
  if (!s.DatatypeMap.empty()) carried.push_back("datatype map");
  if (!structureMap.empty() && !pruned) carried.push_back("structure rename map");
  if (!carried.empty() && s.RulesInputFile != s.InputFile) {
    w.push_back("The " + Joined(carried, ", ") + " " + (carried.size() > 1 ? "were" : "was") + " made for " +
                (s.RulesInputFile.empty() ? std::string("an earlier input") : s.RulesInputFile) +
                ", not for this input, and " + (carried.size() > 1 ? "are applied to it as they stand." : "is applied to it as it stands."));
  }
}

void WarnMerge(std::vector<std::string>& w, const JobSettings& s, const ScanResult& scan,
               const std::vector<std::string>& structureMap) {
  std::vector<std::string> ignored;
  if (!KeepsAll(ScannedNumbers(scan, MappingKind::kLayers), s.LayerList, s.LayerExclude)) ignored.push_back("layer list");
  if (!KeepsAll(ScannedNumbers(scan, MappingKind::kDatatypes), s.DatatypeList, s.DatatypeExclude)) {
    ignored.push_back("datatype list");
  }
  if (!s.LayerMap.empty()) ignored.push_back("layer map");
  if (!s.DatatypeMap.empty()) ignored.push_back("datatype map");
  if (!structureMap.empty()) ignored.push_back("structure rename map");
  if (s.FixNames != 0 || s.SpecifyCase != 0) ignored.push_back("name fixing");
  if (s.Unfold != 0) ignored.push_back("Unfold");
  if (s.Explode != 0) ignored.push_back("Explode");
  if (s.PFOn != 0) ignored.push_back("polygon filtering");
  const std::string mode = ModeName(s.MergeMode);
  if (!ignored.empty()) {
    w.push_back(mode + " mode applies no filters; ignored: " + Joined(ignored, ", ") + ".");
  }
  if (s.MergeMode == kMergeModeBlend && s.Combine != 0) {
    w.push_back("Blend mode puts nothing under a new top structure: Combine (" + s.NewTopStr + ") is ignored.");
  }
}

}  // namespace

std::vector<std::string> JobWarnings(const JobSettings& settings, const ScanResult& scan,
                                     const std::vector<std::string>& structureMap) {
  std::vector<std::string> warnings;
  if (settings.MergeMode == kMergeModePlain) {
    WarnPlain(warnings, settings, scan, structureMap);
  } else {
    WarnMerge(warnings, settings, scan, structureMap);
  }
  return warnings;
}

}  // namespace korvex
