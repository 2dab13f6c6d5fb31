#include "core/support/launcher.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <vector>

#include "core/support/argument_text.h"
#include "core/support/exit_status.h"
#include "core/support/progress_line.h"

extern char** environ;

namespace korvex {
namespace {

// What the child side reports through the close-on-exec pipe. A successful exec closes the
// pipe without a word, so an empty read means the program is running.
enum Stage : int { kChildPid = 1, kFork, kWorkingDirectory, kExec };

struct PipeMessage {
  int stage;
  int value;
};

std::string SystemErrorText(int error) {
  char buffer[512];
  return ::strerror_r(error, buffer, sizeof buffer);
}

// Everything from here to the end of ExecChild runs between fork and exec: only calls that
// are safe in a forked copy of a threaded program.
void WriteMessage(int fd, Stage stage, int value) {
  const PipeMessage message{stage, value};
  while (::write(fd, &message, sizeof message) < 0 && errno == EINTR) {
  }
}

// Descriptors the program opened without close-on-exec must not reach the child.
void MarkDescriptorsCloseOnExec() {
  if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0) return;
  rlimit limit{};
  rlim_t last = 65536;
  if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < last) {
    last = limit.rlim_cur;
  }
  for (int fd = 3; fd < static_cast<int>(last); ++fd) {
    const int flags = ::fcntl(fd, F_GETFD);
    if (flags >= 0 && (flags & FD_CLOEXEC) == 0) ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
  }
}

// Signals ignored or blocked by the program would stay so across exec: a child that ignored
// SIGINT could never be stopped.
void ResetSignals() {
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;
  sigemptyset(&standard.sa_mask);
  for (int signal = 1; signal < NSIG; ++signal) {
    if (signal != SIGKILL && signal != SIGSTOP) ::sigaction(signal, &standard, nullptr);
  }
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
}

// What the child is given besides its arguments.
struct ChildSetup {
  char* const* environment;
  const char* directory;  // nullptr: ours
  int reportFd;
  int errorFd;     // -1: our standard error
  int progressFd;  // -1: none
};

[[noreturn]] void ExecChild(const char* program, char* const* argv, const ChildSetup& setup) {
  ResetSignals();
  if (setup.errorFd >= 0) ::dup2(setup.errorFd, STDERR_FILENO);  // the copy is not closed on exec
  MarkDescriptorsCloseOnExec();
  if (setup.progressFd >= 0) ::fcntl(setup.progressFd, F_SETFD, 0);  // the one descriptor passed on by number
  if (setup.directory != nullptr && ::chdir(setup.directory) != 0) {
    WriteMessage(setup.reportFd, kWorkingDirectory, errno);
    ::_exit(127);
  }
  ::execve(program, argv, setup.environment);
  WriteMessage(setup.reportFd, kExec, errno);
  ::_exit(127);
}

std::vector<PipeMessage> ReadMessages(int fd) {
  std::vector<PipeMessage> messages;
  PipeMessage message{};
  for (;;) {
    const ssize_t n = ::read(fd, &message, sizeof message);
    if (n < 0 && errno == EINTR) continue;
    if (n != static_cast<ssize_t>(sizeof message)) break;  // end: every writer has gone
    messages.push_back(message);
  }
  return messages;
}

// Hands over what the child wrote on a non-blocking pipe so far (all of it once it has gone).
template <typename Take>
void ReadAvailable(int fd, Take take) {
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // nothing more for now, or the end
    take(std::string_view(buffer, static_cast<std::size_t>(n)));
  }
}

// Keeps the last bytes of the child's error output.
void TakeErrorOutput(int fd, std::string& tail) {
  ReadAvailable(fd, [&tail](std::string_view piece) {
    tail.append(piece);
    if (tail.size() > kErrorTailBytes) tail.erase(0, tail.size() - kErrorTailBytes);
  });
}

void ClosePipe(int (&fds)[2]) {
  for (int& fd : fds) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
}

void ReapNow(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

void SleepMilliseconds(long milliseconds) {
  timespec pause{0, milliseconds * 1000000L};
  while (::nanosleep(&pause, &pause) != 0 && errno == EINTR) {
  }
}

LaunchResult Failure(int code, int error, std::string text) {
  LaunchResult result;
  result.code = code;
  result.exitCode = error;
  result.errorText = std::move(text);
  return result;
}

LaunchResult StartFailure(const PipeMessage& message, const LaunchRequest& request) {
  std::string text = SystemErrorText(message.value);
  if (message.stage == kWorkingDirectory) {
    text = "The working directory " + request.workingDirectory + " cannot be used.\n" + text;
  }
  return Failure(kLaunchStartFailed, message.value, std::move(text));
}

}  // namespace

LaunchResult Launcher::Launch(const LaunchRequest& request) {
  // Everything the child needs is prepared here: after fork nothing may allocate.
  std::vector<std::string> arguments = SplitArgumentText(request.argumentText);
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 2);
  argv.push_back(const_cast<char*>(request.program.c_str()));
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const char* directory = request.workingDirectory.empty() ? nullptr : request.workingDirectory.c_str();

  // Non-blocking on both ends: a child never waits for us to read its progress (a line that
  // does not fit is left out), and we never wait for it.
  int progress[2] = {-1, -1};
  if (request.wait && request.progress && ::pipe2(progress, O_CLOEXEC | O_NONBLOCK) != 0) progress[0] = progress[1] = -1;
  std::vector<std::string> environment = ChildEnvironment(environ, progress[1]);
  std::vector<char*> envp;
  envp.reserve(environment.size() + 1);
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);

  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) {
    const int error = errno;
    ClosePipe(progress);
    return Failure(kLaunchStartFailed, error, SystemErrorText(error));
  }
  int errors[2] = {-1, -1};
  if (request.wait && request.captureErrors && ::pipe2(errors, O_CLOEXEC) != 0) errors[0] = errors[1] = -1;
  const auto closePipes = [&errors, &progress] {
    ClosePipe(errors);
    ClosePipe(progress);
  };
  const pid_t pid = ::fork();
  if (pid < 0) {
    const int error = errno;
    ::close(report[0]);
    ::close(report[1]);
    closePipes();
    return Failure(kLaunchStartFailed, error, SystemErrorText(error));
  }
  if (pid == 0) {
    ::close(report[0]);
    if (request.wait) {
      ExecChild(request.program.c_str(), argv.data(), {envp.data(), directory, report[1], errors[1], progress[1]});
    }
    // Not waited for: the program runs as a grandchild, adopted by the system once this
    // intermediate process ends, so nobody has to reap it later.
    const pid_t grandchild = ::fork();
    if (grandchild < 0) {
      WriteMessage(report[1], kFork, errno);
      ::_exit(127);
    }
    if (grandchild == 0) ExecChild(request.program.c_str(), argv.data(), {envp.data(), directory, report[1], -1, -1});
    WriteMessage(report[1], kChildPid, grandchild);
    ::_exit(0);
  }

  ::close(report[1]);
  if (progress[1] >= 0) {
    ::close(progress[1]);
    progress[1] = -1;
  }
  if (errors[1] >= 0) {
    ::close(errors[1]);
    errors[1] = -1;
    ::fcntl(errors[0], F_SETFL, ::fcntl(errors[0], F_GETFL) | O_NONBLOCK);
  }
  const std::vector<PipeMessage> messages = ReadMessages(report[0]);
  ::close(report[0]);

  LaunchResult result;
  result.pid = request.wait ? pid : -1;
  const PipeMessage* failure = nullptr;
  for (const PipeMessage& message : messages) {
    if (message.stage == kChildPid) {
      result.pid = message.value;
    } else if (failure == nullptr) {
      failure = &message;
    }
  }
  if (!request.wait || failure != nullptr) ReapNow(pid);
  if (failure != nullptr) {
    closePipes();
    LaunchResult failed = StartFailure(*failure, request);
    failed.pid = -1;
    return failed;
  }
  result.code = kLaunchStarted;
  if (!request.wait) return result;

  const pid_t outer = m_waitingPid;  // a pump callback may itself have started a wait
  m_waitingPid = pid;
  for (;;) {
    int status = 0;
    const pid_t ended = ::waitpid(pid, &status, WNOHANG);
    if (ended < 0 && errno == EINTR) continue;
    if (ended != 0) m_waitingPid = outer;  // reaped or lost: Stop must not signal the id again
    if (errors[0] >= 0) TakeErrorOutput(errors[0], result.errorOutput);
    if (progress[0] >= 0) ReadAvailable(progress[0], request.progress);
    if (ended < 0) {
      const int error = errno;
      closePipes();
      LaunchResult failed = Failure(kLaunchWaitFailed, error, SystemErrorText(error));
      failed.pid = pid;
      return failed;
    }
    if (request.pump) request.pump();
    if (ended == pid) {
      closePipes();
      result.exitCode = DecodeExitStatus(status);
      return result;
    }
    SleepMilliseconds(5);
  }
}

std::string LastErrorLine(const std::string& errorOutput) {
  const std::size_t end = errorOutput.find_last_not_of("\r\n\t ");
  if (end == std::string::npos) return {};
  const std::size_t start = errorOutput.find_last_of('\n', end) + 1;  // npos + 1 is 0
  return errorOutput.substr(start, end + 1 - start);
}

std::vector<std::string> ChildEnvironment(const char* const* environment, int progressFd) {
  const std::string prefix = std::string(kProgressFdVariable) + "=";
  std::vector<std::string> entries;
  for (const char* const* entry = environment; entry != nullptr && *entry != nullptr; ++entry) {
    if (std::string_view(*entry).substr(0, prefix.size()) != prefix) entries.emplace_back(*entry);
  }
  if (progressFd >= 0) entries.push_back(prefix + std::to_string(progressFd));
  return entries;
}

bool Launcher::Stop() {
  if (m_waitingPid <= 0) return false;
  return ::kill(m_waitingPid, SIGINT) == 0;
}

}  // namespace korvex
