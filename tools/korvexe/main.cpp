// korvexe.exe: the filter engine. INPUT OUTPUT TOP [switches], run in the working directory
// that holds its log and side files; --help and --version answer without a log. Exit: the number of warnings and errors (at most 127),
// 255 on failure; a stop by SIGINT or SIGTERM ends by that signal.
#include <csignal>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/support/bus_error_exit.h"
#include "core/support/command_line_info.h"
#include "korvexe/engine.h"
#include "korvexe/help_text.h"
#include "korvexe/run_control.h"

int main(int argc, char** argv) {
  if (const korvex::InfoRequest info = korvex::InfoRequestOf(argc, argv); info != korvex::InfoRequest::kNone)
    return korvex::AnswerInfoRequest(info, korvex::engine::kProgramName, korvex::engine::HelpText());
  korvex::engine::InstallStopHandlers();
  korvex::InstallBusErrorExit("korvexe.exe", korvex::engine::kExitFailure);
  const std::vector<std::string> args(argv + 1, argv + argc);
  std::string directory = ".";
  if (char* cwd = ::getcwd(nullptr, 0)) {
    directory = cwd;
    free(cwd);
  }
  const korvex::engine::EngineRun run = korvex::engine::RunEngine(args, directory);
  if (run.stop_signal != 0) {
    std::signal(run.stop_signal, SIG_DFL);
    std::raise(run.stop_signal);
  }
  return run.exit_code;
}
