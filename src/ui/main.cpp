#include <iostream>
#include <string>
#include <vector>

#include "core/headless/headless_run.h"
#include "core/job/settings_io.h"
#include "core/support/platform.h"
#include "ui/korvex_app.h"

int main(int argc, char** argv) {
  // A job run from a script needs no display: it is decided before any window object exists.
  std::string usageError;
  const auto headless = korvex::ParseHeadlessArguments(std::vector<std::string>(argv + 1, argv + argc), usageError);
  if (headless) {
    if (!usageError.empty()) {
      std::cerr << usageError << "\n";
      return korvex::kHeadlessRefused;
    }
    return korvex::RunHeadless(*headless, korvex::ProgramDirectoryOf(korvex::RunningProgramPath()), std::cout,
                               std::cerr);
  }
  korvex::CKorvexApp app(argc, argv);
  app.InitInstance();
  return app.exec();
}
