#pragma once

#include <string>
#include <vector>

#include "core/inspect/scan_result.h"
#include "core/job/job_settings.h"

namespace korvex {

// A job file (*.kjob): INI text with one section, the keys and value syntax of the profile
// store, and the job's paths, top structure and structure rename map beside them.
inline constexpr const char* kJobSection = "Korvex Job";
inline constexpr const char* kJobExtension = ".kjob";
inline constexpr const char* kJobFileFilter = "Korvex Jobs (*.kjob)|*.kjob|All Files (*.*)|*.*||";

struct JobFile {
  // Every option a translation reads; a key the file lacks keeps its default. InputFile,
  // OutputFile and WorkingDirectory are full paths (relative ones are taken from the job
  // file's folder; the working directory defaults to that folder).
  JobSettings settings;
  // Without these keys the scan decides: every layer or datatype found, its default top.
  bool hasLayerList = false;
  bool hasDatatypeList = false;
  std::string topStructure;
  // Lines "OLD NEW" of the structure rename map, as korvex.smp holds them.
  std::vector<std::string> structureMap;
};

struct JobFileRead {
  bool ok = false;
  std::string error;  // names the file and what is wrong
  JobFile job;
};

JobFileRead ReadJobFile(const std::string& path);

// Writes the job of these settings (the job keys only, never window preferences) through a
// temporary file renamed over the old one. The working directory is written only when it is
// not the job file's own folder. Returns the message for a failure, else empty.
std::string WriteJobFile(const std::string& path, const JobSettings& settings, const std::string& topStructure,
                         const std::vector<std::string>& structureMap);

// The lines of a structure rename map file; none when there is no such file.
std::vector<std::string> ReadStructureMapLines(const std::string& path);
// Writes the lines as a structure rename map (CR LF ends), or deletes the file when there are
// none. Returns the message for a failure, else empty.
std::string WriteStructureMapLines(const std::string& path, const std::vector<std::string>& lines);

// Puts a job read from a file into the settings that a scan of its input has just set up:
// the scan keeps what the job leaves open (layer and datatype lists, top structure).
// Returns the message when the job's top structure is not in the scan, else empty.
std::string ApplyJob(const JobFile& job, JobSettings& settings, ScanResult& scan);

}  // namespace korvex
