// How a run ends early: a fatal error or the user's stop (SIGINT, SIGTERM or SIGHUP).
#pragma once

#include <stdexcept>
#include <string>

namespace korvex::engine {

// A failure that ends the run: the message goes to the log as its "Error:" line.
class EngineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The user stopped the run.
class Cancelled : public std::exception {
 public:
  const char* what() const noexcept override { return "Cancelled by user"; }
};

// Installs handlers for SIGINT, SIGTERM and SIGHUP that only note the signal.
void InstallStopHandlers();
// The signal noted so far (0: none).
int StopSignal();
// For tests: note a stop as if the signal had arrived (0 clears it).
void RequestStop(int signal_number);

// Throws Cancelled once a stop was noted. Long loops call it now and then.
inline void CheckStop() {
  if (StopSignal() != 0) throw Cancelled();
}

}  // namespace korvex::engine
