// The viewer's command line: FILE [-title:TEXT] [-top:NAME].
#pragma once

#include <string>
#include <vector>

namespace korvex::lumat {

struct ViewerArguments {
  std::string file;
  bool has_file = false;
  std::string title;  // names the window; empty when not given
  std::string top;    // as passed (%XX form); empty: the default top structure
  std::vector<std::string> ignored;  // arguments that mean nothing here, for a warning
};

// `args` without the program name. Option names are matched without regard to case; the
// first other argument is the file (an empty one too: it is what the caller passed).
ViewerArguments ParseViewerArguments(const std::vector<std::string>& args);

}  // namespace korvex::lumat
