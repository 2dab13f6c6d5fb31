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
  action.sa_flags = SA_RESTART;  // writes in progress go on; the loops notice the flag
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

int StopSignal() { return g_stop; }

void RequestStop(int signal_number) { g_stop = signal_number; }

}  // namespace korvex::engine
