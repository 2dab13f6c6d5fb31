#include "core/job/output_proposal.h"

#include "core/support/paths.h"

namespace korvex {

std::string ProposeOutputFile(std::string_view inputFile, std::string_view outputFile,
                              std::string_view workingDirectory, const PathStyle& style) {
  std::string name = SplitPathName(inputFile, style).name;
  const ExtensionParts last_extension = SplitExtension(name, style);
  if (SameExtension(last_extension.extension, ".gz")) name = last_extension.stem;
  const std::string stem = SplitExtension(name, style).stem + "_out";
  if (outputFile.empty()) return JoinPath(workingDirectory, stem + ".gds", style);
  const PathParts last = SplitPathName(outputFile, style);
  return JoinPath(last.directory, stem + SplitExtension(last.name, style).extension, style);
}

std::string CompleteOutputName(std::string_view chosen, const PathStyle& style) {
  if (!SplitExtension(SplitPathName(chosen, style).name, style).extension.empty()) return std::string(chosen);
  return ChangeExtension(chosen, ".gds", style);
}

FileQuestion OutputFileQuestion(const std::string& proposal) {
  FileQuestion question;
  question.filter = kGdsFileTypes;
  question.initialPath = proposal;
  question.save = true;
  question.confirmOverwrite = true;
  return question;
}

}  // namespace korvex
