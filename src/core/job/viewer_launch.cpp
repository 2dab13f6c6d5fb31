#include "core/job/viewer_launch.h"

#include <vector>

#include "core/job/companion_start.h"
#include "core/support/argument_text.h"
#include "core/support/paths.h"

namespace korvex {
namespace {

LaunchResult StartViewer(JobSettings& settings, const std::vector<std::string>& quotedNames,
                         const std::string& arguments, Launcher& launcher, RunHost& host) {
  FindViewer(settings, host);
  if (!CheckQuotedNames(host, quotedNames)) return {};
  LaunchRequest request;
  request.program = settings.GDSViewerPath;
  request.workingDirectory = settings.WorkingDirectory;
  request.argumentText = arguments;
  request.wait = false;
  return StartCompanion(launcher, host, request);
}

}  // namespace

std::string InputViewerArguments(const std::string& inputFile, const std::string& topStructure) {
  return QuoteArgument(inputFile) + " -title:Lumat " + QuoteArgument("-top:" + topStructure);
}

std::string OutputViewerArguments(const std::string& outputFile) {
  return QuoteArgument(outputFile) + " -title:Lumat";
}

void ChooseViewer(JobSettings& settings, RunHost& host) {
  FileQuestion question;
  question.title = "Select Viewer [Lumat.exe]";
  question.filter = "EXE Files (*.exe)|*.exe|All Files (*.*)|*.*||";
  question.defaultExtension = "exe";
  question.initialPath = settings.GDSViewerPath;
  question.mustExist = true;
  if (const std::optional<std::string> chosen = host.ChooseFile(question)) settings.GDSViewerPath = *chosen;
}

void FindViewer(JobSettings& settings, RunHost& host) {
  if (settings.GDSViewerPath.empty()) {
    settings.GDSViewerPath = JoinPath(settings.ProgramDirectory, kViewerProgramName);
  }
  if (!FileExists(settings.GDSViewerPath)) ChooseViewer(settings, host);
}

LaunchResult ViewGdsInput(JobSettings& settings, const std::string& topStructure, Launcher& launcher,
                          RunHost& host) {
  return StartViewer(settings, {settings.InputFile, topStructure},
                     InputViewerArguments(settings.InputFile, topStructure), launcher, host);
}

LaunchResult ViewGdsOutput(JobSettings& settings, Launcher& launcher, RunHost& host) {
  return StartViewer(settings, {settings.OutputFile}, OutputViewerArguments(settings.OutputFile), launcher, host);
}

}  // namespace korvex
