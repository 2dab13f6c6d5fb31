// lumat.exe FILE [-title:TEXT] [-top:NAME]: shows a structure of a GDSII file and its hierarchy.
// lumat.exe --help | --version answers before any display is needed.
#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "core/support/bus_error_exit.h"
#include "core/support/command_line_info.h"
#include "lumat/arguments.h"
#include "lumat/help_text.h"
#include "lumat/viewer_window.h"

int main(int argc, char** argv) {
  if (const korvex::InfoRequest info = korvex::InfoRequestOf(argc, argv); info != korvex::InfoRequest::kNone)
    return korvex::AnswerInfoRequest(info, "lumat.exe", korvex::lumat::HelpText());
  // A layout cut short by another program while it is shown ends the viewer with a reason.
  korvex::InstallBusErrorExit("lumat.exe", 1);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Lumat"));
  // File names stay the bytes they were given; QApplication's own argument handling is not
  // used for them.
  const std::vector<std::string> args(argv + 1, argv + argc);
  const korvex::lumat::ViewerArguments arguments = korvex::lumat::ParseViewerArguments(args);
  for (const std::string& ignored : arguments.ignored) std::fprintf(stderr, "lumat.exe: ignoring '%s'\n", ignored.c_str());
  korvex::lumat::ViewerWindow window(arguments);
  window.show();
  window.start();
  return app.exec();
}
