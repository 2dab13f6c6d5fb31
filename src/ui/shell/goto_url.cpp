#include "ui/shell/goto_url.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ui/shell/browser_command.h"

extern char** environ;

namespace korvex {
namespace {

std::vector<char*> ArgvOf(std::vector<std::string>& words) {
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  return argv;
}

int WaitFor(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return status;
}

// The program is started by a short-lived intermediate child, so it never stays our zombie.
bool StartDetachedProgram(std::vector<std::string> words) {
  if (words.empty()) return false;
  std::vector<char*> argv = ArgvOf(words);  // prepared before fork: the child only spawns
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    pid_t program = 0;
    const int error = ::posix_spawnp(&program, argv[0], nullptr, nullptr, argv.data(), environ);
    ::_exit(error == 0 ? 0 : 127);
  }
  const int status = WaitFor(child);
  return status >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Standard output of a short query program; empty when it cannot run or fails.
std::string QueryOutput(std::vector<std::string> words) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return {};
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  std::vector<char*> argv = ArgvOf(words);
  pid_t pid = 0;
  const int error = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  std::string out;
  if (error == 0) {
    char buffer[512];
    ssize_t n = 0;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
      if (n > 0) out.append(buffer, static_cast<std::size_t>(n));
    }
  }
  ::close(fds[0]);
  if (error != 0) return {};
  const int status = WaitFor(pid);
  if (status < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ')) out.pop_back();
  return out;
}

// The Exec line of the desktop's default handler of web pages.
std::string DefaultBrowserTemplate() {
  const std::string desktopFile = QueryOutput({"xdg-mime", "query", "default", "text/html"});
  if (desktopFile.empty() || desktopFile.find('/') != std::string::npos) return {};
  for (const std::string& folder :
       ApplicationFolders(std::getenv("XDG_DATA_HOME"), std::getenv("XDG_DATA_DIRS"), std::getenv("HOME"))) {
    std::ifstream in(folder + "/" + desktopFile, std::ios::binary);
    if (!in) continue;
    std::stringstream text;
    text << in.rdbuf();
    return DesktopExecLine(text.str());
  }
  return {};
}

}  // namespace
}  // namespace korvex

extern "C" int GotoURL(const char* url, int /*showCommand*/) {
  using namespace korvex;
  if (url == nullptr || url[0] == '\0') return 0;
  if (StartDetachedProgram({"xdg-open", url})) return 1;
  const std::string commandTemplate = DefaultBrowserTemplate();
  if (commandTemplate.empty()) return 0;
  return StartDetachedProgram(SplitExecLine(BrowserCommandLine(commandTemplate, url))) ? 1 : 0;
}
