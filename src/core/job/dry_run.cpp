#include "core/job/dry_run.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "core/job/companion_start.h"
#include "core/job/engine_arguments.h"
#include "core/job/output_proposal.h"
#include "core/job/translation_run.h"
#include "core/support/paths.h"
#include "core/support/replace_file.h"
#include "core/support/side_file_path.h"

namespace korvex {
namespace {

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Moves an existing file out of the way for the length of a run and puts it back after.
class KeptAside {
 public:
  explicit KeptAside(std::string path) : m_path(std::move(path)) {
    if (!FileExists(m_path)) return;
    const int fd = CreateTemporaryBeside(m_path, ".kept-", "", m_aside);
    if (fd < 0) return;
    ::close(fd);
    if (std::rename(m_path.c_str(), m_aside.c_str()) != 0) {
      RemoveFileIfPresent(m_aside);
      m_aside.clear();
    }
  }
  ~KeptAside() {
    if (m_aside.empty()) return;
    std::rename(m_aside.c_str(), m_path.c_str());
  }
  KeptAside(const KeptAside&) = delete;
  KeptAside& operator=(const KeptAside&) = delete;

 private:
  std::string m_path;
  std::string m_aside;
};

}  // namespace

DryRunResult RunDryRun(const JobSettings& settings, const std::string& topStructure, Launcher& launcher,
                       RunHost& host) {
  JobSettings job = settings;  // the arguments turn options on for polygon filtering
  if (job.OutputFile.empty()) job.OutputFile = ProposeOutputFile(job.InputFile, job.OutputFile, job.WorkingDirectory);
  const bool structureMapExists = FileExists(JoinPath(job.WorkingDirectory, kStructureMapName));
  EngineArguments arguments = BuildEngineArguments(job, topStructure, structureMapExists);
  DryRunResult result;
  result.outputFile = job.OutputFile;
  if (!CheckQuotedNames(host, arguments.quotedNames)) return result;
  arguments.text += kDryRunSwitch;

  const std::string logPath = SideFilePath(job.WorkingDirectory, job.InputFile, ".log");
  {
    KeptAside earlierLog(logPath);
    result.launch = StartCompanion(launcher, host, EngineLaunchRequest(job, arguments.text, host));
    result.started = result.launch.code == kLaunchStarted;
    if (FileExists(logPath)) {
      result.log = ReadWhole(logPath);
      RemoveFileIfPresent(logPath);
    }
  }
  return result;
}

}  // namespace korvex
