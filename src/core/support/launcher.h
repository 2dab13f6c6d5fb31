#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// Result codes of Launch.
inline constexpr int kLaunchStarted = 1;       // started; with waiting, the child has ended
inline constexpr int kLaunchStartFailed = -1;  // the child could not be created or started
inline constexpr int kLaunchWaitFailed = -3;   // its end could not be awaited

struct LaunchRequest {
  std::string program;           // full path of the program file; never looked up in PATH
  std::string workingDirectory;  // the child's current directory; empty keeps ours
  std::string argumentText;      // split into arguments by SplitArgumentText; no shell
  bool wait = true;
  // Called on every poll while waiting, so a window can keep handling its events. Empty:
  // nothing is dispatched.
  std::function<void()> pump;
  // With waiting: the child's standard error is kept (its last kErrorTailBytes) instead of
  // going to ours, so that its reason can be shown to the user.
  bool captureErrors = false;
  // With waiting: the child gets a pipe for its progress lines, named in KORVEX_PROGRESS_FD,
  // and what it writes there is handed over here piece by piece, between pumps.
  std::function<void(std::string_view)> progress;
};

struct LaunchResult {
  int code = kLaunchStartFailed;
  // With waiting and code 1: the child's exit code (see DecodeExitStatus). On failure: the
  // system's error number.
  int exitCode = 0;
  // On failure: the system's text for the error, to be shown with the program path as caption.
  std::string errorText;
  pid_t pid = -1;  // the child's process id once it was created
  std::string errorOutput;  // with captureErrors: the end of what the child wrote on stderr
};

inline constexpr std::size_t kErrorTailBytes = 4096;

// The last non-empty line of a program's error output, without its line end ("" when none).
std::string LastErrorLine(const std::string& errorOutput);

// A child's environment: ours without KORVEX_PROGRESS_FD (a descriptor number of ours means
// nothing to the child), and with it naming progressFd when that is not -1.
std::vector<std::string> ChildEnvironment(const char* const* environment, int progressFd);

// Starts companion programs. A child started without waiting is detached (a short-lived
// intermediate process is reaped at once), so no child is ever left as a zombie; only the
// standard input, output and error are passed on to the child.
class Launcher {
 public:
  LaunchResult Launch(const LaunchRequest& request);

  // A child is being waited for (a pump callback may ask this).
  bool IsWaiting() const { return m_waitingPid > 0; }

  // Asks the child being waited for to stop (SIGINT), as the Stop action does. False when
  // no child is being waited for or the signal could not be sent.
  bool Stop();

 private:
  pid_t m_waitingPid = -1;
};

}  // namespace korvex
