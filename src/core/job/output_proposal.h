#pragma once

#include <string>
#include <string_view>

#include "core/job/run_host.h"
#include "core/support/path_style.h"

namespace korvex {

// The layouts the file dialogs offer: plain and gzip-compressed, under their usual names.
// (Description and pattern pairs, each part followed by "|", ended by "||".)
inline constexpr const char* kGdsFileTypes =
    "GDS Files (*.gds;*.gds.gz;*.gdsii;*.str)|*.gds;*.gds.gz;*.gdsii;*.str|All Files (*.*)|*.*||";

// The output file offered before a translation: the input's name with "_out" added, in the
// folder and with the extension of the last output file; before any output, in the working
// directory with ".gds". The stem is kept whole even when it holds dots (chip.v2.gds gives
// chip.v2_out.gds), so the proposal can never name the input itself. A compressed input's
// ".gz" goes with its extension (chip.gds.gz gives chip_out.gds).
std::string ProposeOutputFile(std::string_view inputFile, std::string_view outputFile,
                              std::string_view workingDirectory, const PathStyle& style = kNativePathStyle);

// A chosen output name without an extension gets ".gds".
std::string CompleteOutputName(std::string_view chosen, const PathStyle& style = kNativePathStyle);

// The save question for the output file, starting at the proposal.
FileQuestion OutputFileQuestion(const std::string& proposal);

}  // namespace korvex
