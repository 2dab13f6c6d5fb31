#include "core/job/engine_arguments.h"

#include <cstdio>

#include "core/support/argument_text.h"
#include "core/support/paths.h"
#include "core/support/splitters.h"

namespace korvex {
namespace {

// The C library's "%f": fixed point with six decimals, 1000000 as 1000000.000000.
std::string Fixed(double value) {
  char buffer[512];  // the widest double in this form has about 320 characters
  std::snprintf(buffer, sizeof buffer, "%f", value);
  return buffer;
}

void AddQuoted(EngineArguments& arguments, const std::string& name) {
  arguments.text += QuoteArgument(name);
  arguments.quotedNames.push_back(name);
}

const char* MergeSwitch(int mergeMode) {
  switch (mergeMode) {
    case kMergeModeMerge: return " -merge";
    case kMergeModeAdd: return " -add";
    case kMergeModeBlend: return " -blend";
    default: return "";  // a mode from a damaged store names no merge
  }
}

void AddMergeOptions(std::string& text, const JobSettings& settings) {
  text += MergeSwitch(settings.MergeMode);
  const bool combines = settings.MergeMode == kMergeModeMerge || settings.MergeMode == kMergeModeAdd;
  if (settings.Combine != 0 && combines) {
    text += " -combine ";
    text += settings.NewTopStr;
    const std::size_t files = SplitQuotedList(settings.MergeFileList, kNoLimit).size();
    for (std::size_t i = 0; i < files; ++i) text += " = ";
  }
}

void AddFilterOptions(EngineArguments& arguments, JobSettings& settings, bool structureMapExists) {
  std::string& text = arguments.text;
  text += settings.LayerExclude != 0 ? " -x" : " -i";
  text += settings.LayerList;
  text += settings.DatatypeExclude != 0 ? " -X" : " -I";
  text += settings.DatatypeList;
  if (settings.PFOn != 0) {
    settings.Explode = 1;
    settings.Prune = 1;
  }
  if (settings.Prune != 0) {
    text += " -prune";
  } else if (settings.SpecifyCase != 0) {
    text += settings.LowerCase != 0 ? " -lc" : " -uc";
  } else if (settings.FixNames != 0) {
    text += " -names";
  }
  if (settings.Unfold != 0) text += " -unfold";
  if (!settings.LayerMap.empty()) text += " -lyr" + settings.LayerMap;
  if (!settings.DatatypeMap.empty()) text += " -dtp" + settings.DatatypeMap;
  if (structureMapExists && settings.Prune == 0) {
    text += " -rename ";
    AddQuoted(arguments, JoinPath(settings.WorkingDirectory, kStructureMapName));
  }
  if (settings.Explode != 0) text += " -explode";
  if (settings.PFOn != 0) {
    text += " -minext:" + Fixed(settings.MinExt);
    text += " -maxext:" + Fixed(settings.MaxExt);
    text += " -h2w:" + Fixed(settings.HWRatio);
    text += " -w2h:" + Fixed(settings.WHRatio);
    text += " -aratio:" + Fixed(settings.AreaRatio);
    text += " -maxvert:" + std::to_string(settings.MaxVertex);
    if (settings.DebugMode != 0) {
      text += " -polyoff:" + std::to_string(settings.PolyOff);
      text += " -vertcnt:" + std::to_string(settings.VertCnt);
    }
  }
}

}  // namespace

EngineArguments BuildEngineArguments(JobSettings& settings, const std::string& topStructure,
                                     bool structureMapExists) {
  EngineArguments arguments;
  AddQuoted(arguments, settings.InputFile);
  arguments.text += ' ';
  AddQuoted(arguments, settings.OutputFile);
  arguments.text += ' ';
  AddQuoted(arguments, topStructure);
  if (settings.MergeMode != kMergeModePlain) {
    AddMergeOptions(arguments.text, settings);
  } else {
    AddFilterOptions(arguments, settings, structureMapExists);
  }
  arguments.text += " -min:" + Fixed(settings.MinWidth);
  arguments.text += " -tmag:" + Fixed(settings.MaxText);
  return arguments;
}

}  // namespace korvex
