#include "core/support/exit_status.h"

#include <sys/wait.h>

#include <csignal>

namespace korvex {

int DecodeExitStatus(int waitStatus) {
  if (WIFEXITED(waitStatus)) {
    const int code = WEXITSTATUS(waitStatus);
    return code > 127 ? code - 256 : code;
  }
  if (WIFSIGNALED(waitStatus)) {
    const int signal = WTERMSIG(waitStatus);
    if (signal == SIGINT || signal == SIGTERM) return kExitCancelled;
    return -(1000 + signal);
  }
  // Stopped children are never reported: the launcher waits without WUNTRACED.
  return -1000;
}

}  // namespace korvex
