#include "run_program.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace korvex::testing {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

ProgramRun RunProgram(const std::vector<std::string>& argv, const std::string& directory, int timeout_seconds,
                      ProgressTo progress) {
  ProgramRun run;
  char out_path[] = "/tmp/korvex_run_out_XXXXXX";
  char err_path[] = "/tmp/korvex_run_err_XXXXXX";
  char progress_path[] = "/tmp/korvex_run_progress_XXXXXX";
  const int out_fd = mkstemp(out_path);
  const int err_fd = mkstemp(err_path);
  const int progress_fd = mkstemp(progress_path);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out_fd, 1);
    dup2(err_fd, 2);
    if (progress == ProgressTo::kNowhere) unsetenv("KORVEX_PROGRESS_FD");
    if (progress == ProgressTo::kFile) setenv("KORVEX_PROGRESS_FD", std::to_string(progress_fd).c_str(), 1);
    if (progress == ProgressTo::kStandardOutput) setenv("KORVEX_PROGRESS_FD", "1", 1);
    if (!directory.empty() && chdir(directory.c_str()) != 0) _exit(127);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(out_fd);
  close(err_fd);
  close(progress_fd);
  if (pid > 0) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
    int status = 0;
    for (;;) {
      const pid_t done = waitpid(pid, &status, WNOHANG);
      if (done == pid) break;
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        run.timed_out = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    run.started = !(WIFEXITED(status) && WEXITSTATUS(status) == 127);
    if (WIFEXITED(status)) run.exit_code = WEXITSTATUS(status);
    if (WIFSIGNALED(status) && !run.timed_out) run.signalled = true;
  }
  run.out = Slurp(out_path);
  run.err = Slurp(err_path);
  run.progress = Slurp(progress_path);
  std::remove(out_path);
  std::remove(err_path);
  std::remove(progress_path);
  return run;
}

}  // namespace korvex::testing
