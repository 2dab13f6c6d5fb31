#pragma once

#include <string>

#include "core/job/job_settings.h"
#include "core/job/run_host.h"
#include "core/support/launcher.h"

namespace korvex {

inline constexpr const char* kViewerProgramName = "lumat.exe";

// The viewer's argument texts: the input opened at the top structure, or the output.
std::string InputViewerArguments(const std::string& inputFile, const std::string& topStructure);
std::string OutputViewerArguments(const std::string& outputFile);

// The GDS Viewer Directory command: asks for the viewer program; a cancelled question
// changes nothing.
void ChooseViewer(JobSettings& settings, RunHost& host);

// Makes GDSViewerPath name a viewer: the one beside the program when none is set, else
// whatever the user picks when the set one is missing. It may still name a missing file.
void FindViewer(JobSettings& settings, RunHost& host);

// View GDS Input and View GDS Output: find the viewer and start it without waiting. A
// failure to start has been shown when these return; callers need not look at the result.
LaunchResult ViewGdsInput(JobSettings& settings, const std::string& topStructure, Launcher& launcher,
                          RunHost& host);
LaunchResult ViewGdsOutput(JobSettings& settings, Launcher& launcher, RunHost& host);

}  // namespace korvex
