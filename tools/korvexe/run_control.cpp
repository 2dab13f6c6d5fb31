#include "korvexe/run_control.h"

#include <signal.h>

#include <csignal>

namespace korvex::engine {
namespace {

volatile std::sig_atomic_t g_stop = 0;

extern "C" void NoteStop(int signal_number) { g_stop = signal_number; }

}  // namespace

void InstallStopHandlers() {
  struct sigaction action {};
  action.sa_handler = NoteStop;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a blocking call is interrupted so the run can notice the stop. Every write
  // and read loop goes on after EINTR; the long loops notice the flag.
  action.sa_flags = 0;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);  // the terminal went away: stop as for SIGTERM
}

int StopSignal() { return g_stop; }

void RequestStop(int signal_number) { g_stop = signal_number; }

}  // namespace korvex::engine
