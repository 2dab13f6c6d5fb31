#include "core/job/job_file.h"

#include <filesystem>
#include <fstream>

#include "core/job/profile_store.h"
#include "core/job/settings_io.h"
#include "core/support/paths.h"
#include "core/support/replace_file.h"
#include "core/support/splitters.h"

namespace korvex {
namespace {

// Every option a translation reads, under its profile name. LayerList and DatatypeList are
// read apart: without them the scan's lists stand.
constexpr TextKey kTextKeys[] = {
    {"NewTopStr", &JobSettings::NewTopStr},     {"MergeFileList", &JobSettings::MergeFileList},
    {"LayerMap", &JobSettings::LayerMap},       {"DatatypeMap", &JobSettings::DatatypeMap},
};
constexpr IntegerKey kIntegerKeys[] = {
    {"MergeMode", &JobSettings::MergeMode},     {"Combine", &JobSettings::Combine},
    {"LayerExclude", &JobSettings::LayerExclude}, {"DatatypeExclude", &JobSettings::DatatypeExclude},
    {"Prune", &JobSettings::Prune},             {"FixNames", &JobSettings::FixNames},
    {"SpecifyCase", &JobSettings::SpecifyCase}, {"LowerCase", &JobSettings::LowerCase},
    {"Unfold", &JobSettings::Unfold},           {"Explode", &JobSettings::Explode},
    {"PFOn", &JobSettings::PFOn},               {"MaxVertex", &JobSettings::MaxVertex},
    {"PolyOff", &JobSettings::PolyOff},         {"VertCnt", &JobSettings::VertCnt},
};
constexpr RealKey kRealKeys[] = {
    {"MinWidth", &JobSettings::MinWidth}, {"MaxText", &JobSettings::MaxText}, {"MinExt", &JobSettings::MinExt},
    {"MaxExt", &JobSettings::MaxExt},     {"HWRatio", &JobSettings::HWRatio}, {"WHRatio", &JobSettings::WHRatio},
    {"AreaRatio", &JobSettings::AreaRatio},
};

std::string StructureMapKey(std::size_t index) { return std::string("StructureMap").append(std::to_string(index + 1)); }

std::string JobFolder(const std::string& jobPath) {
  std::error_code ec;
  const std::string absolute = std::filesystem::absolute(jobPath, ec).lexically_normal().string();
  return SplitPathName(ec ? jobPath : absolute).directory;
}

// Relative paths of a hand-written job are taken from the job file's folder.
std::string FromJobFolder(const std::string& folder, const std::string& path) {
  if (path.empty() || path.front() == '/') return path;
  return std::filesystem::path(JoinPath(folder, path)).lexically_normal().string();
}

bool SameFolder(const std::string& a, const std::string& b) {
  return std::filesystem::path(AppendPathSeparator(a)).lexically_normal() ==
         std::filesystem::path(AppendPathSeparator(b)).lexically_normal();
}

}  // namespace

JobFileRead ReadJobFile(const std::string& path) {
  JobFileRead read;
  if (!FileExists(path) || DirectoryExists(path)) {
    read.error = "The job file " + path + " does not exist.";
    return read;
  }
  ProfileStore store;
  if (!store.OpenFile(path, kJobSection, true)) {
    read.error = "The job file " + path + " cannot be read.";
    return read;
  }
  if (!store.HasSection()) {
    read.error = "The file " + path + " is not a job file: it has no [" + std::string(kJobSection) + "] section.";
    return read;
  }
  JobFile& job = read.job;
  JobSettings& s = job.settings;
  const std::string folder = JobFolder(path);
  std::string text;
  if (store.ReadText("InputFile", text, kNoLimit)) s.InputFile = FromJobFolder(folder, text);
  if (store.ReadText("OutputFile", text, kNoLimit)) s.OutputFile = FromJobFolder(folder, text);
  s.WorkingDirectory = folder;
  if (store.ReadText("WorkingDirectory", text, kNoLimit) && !text.empty()) {
    s.WorkingDirectory = FromJobFolder(folder, text);
  }
  store.ReadText("TopStructure", job.topStructure, kNoLimit);
  job.hasLayerList = store.ReadText("LayerList", s.LayerList, kNoLimit);
  job.hasDatatypeList = store.ReadText("DatatypeList", s.DatatypeList, kNoLimit);
  for (const TextKey& t : kTextKeys) store.ReadText(t.key, s.*t.field, kNoLimit);
  if (s.NewTopStr.size() > kMaxNewTopLength) s.NewTopStr.resize(kMaxNewTopLength);
  for (const IntegerKey& i : kIntegerKeys) store.ReadInteger(i.key, s.*i.field);
  for (const RealKey& r : kRealKeys) ReadReal(store, r.key, s.*r.field);
  for (std::size_t i = 0; store.ReadText(StructureMapKey(i), text, kNoLimit); ++i) {
    if (!text.empty()) job.structureMap.push_back(text);
  }
  if (s.InputFile.empty()) {
    read.error = "The job file " + path + " names no InputFile.";
    return read;
  }
  read.ok = true;
  return read;
}

std::string WriteJobFile(const std::string& path, const JobSettings& settings, const std::string& topStructure,
                         const std::vector<std::string>& structureMap) {
  ProfileStore store;
  store.OpenFile(path, kJobSection, false);
  bool written = store.WriteText("InputFile", settings.InputFile) && store.WriteText("OutputFile", settings.OutputFile);
  if (!settings.WorkingDirectory.empty() && !SameFolder(settings.WorkingDirectory, JobFolder(path))) {
    written = store.WriteText("WorkingDirectory", settings.WorkingDirectory) && written;
  }
  written = store.WriteText("TopStructure", topStructure) && written;
  written = store.WriteText("LayerList", settings.LayerList) && written;
  written = store.WriteText("DatatypeList", settings.DatatypeList) && written;
  for (const TextKey& t : kTextKeys) written = store.WriteText(t.key, settings.*t.field) && written;
  for (const IntegerKey& i : kIntegerKeys) written = store.WriteInteger(i.key, settings.*i.field) && written;
  for (const RealKey& r : kRealKeys) WriteReal(store, r.key, settings.*r.field);
  for (std::size_t i = 0; i < structureMap.size(); ++i) {
    written = store.WriteText(StructureMapKey(i), structureMap[i]) && written;
  }
  // A value with a line break would smuggle keys into the file: nothing is written then.
  if (!written) return "The job cannot be saved as " + path + ": a path or name holds a line break.";
  if (!store.Close()) return "The job cannot be saved as " + path + ".";
  return {};
}

std::vector<std::string> ReadStructureMapLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::string WriteStructureMapLines(const std::string& path, const std::vector<std::string>& lines) {
  if (lines.empty()) {
    return RemoveFileIfPresent(path) ? std::string() : "The structure map " + path + " cannot be removed.";
  }
  std::string bytes;
  for (const std::string& line : lines) bytes.append(line).append("\r\n");
  return ReplaceFile(path, bytes) ? std::string() : "The structure map " + path + " cannot be written.";
}

std::string ApplyJob(const JobFile& job, JobSettings& settings, ScanResult& scan) {
  const JobSettings& from = job.settings;
  settings.InputFile = from.InputFile;
  settings.OutputFile = from.OutputFile;
  settings.WorkingDirectory = from.WorkingDirectory;
  if (job.hasLayerList) settings.LayerList = from.LayerList;
  if (job.hasDatatypeList) settings.DatatypeList = from.DatatypeList;
  for (const TextKey& t : kTextKeys) settings.*t.field = from.*t.field;
  for (const IntegerKey& i : kIntegerKeys) settings.*i.field = from.*i.field;
  for (const RealKey& r : kRealKeys) settings.*r.field = from.*r.field;
  settings.RulesInputFile = from.InputFile;  // the job's maps were written for its input
  if (job.topStructure.empty()) return {};
  if (!FindStructure(scan, job.topStructure)) {
    return "The top structure " + job.topStructure + " of the job is not in " + from.InputFile + ".";
  }
  scan.TopStructure = job.topStructure;
  return {};
}

}  // namespace korvex
