#include "core/support/bus_error_exit.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace korvex {
namespace {

constexpr std::size_t kCapacity = 4096;
constexpr char kReason[] = "the input changed while it was read\n";

// Only what a signal handler may touch: fixed buffers and atomics.
char g_program[256];
char g_remove[2][kCapacity];
std::atomic<int> g_remove_slot{-1};
std::atomic<int> g_log{-1};
int g_exit_code = 1;

void Put(int fd, const char* text) {
  std::size_t left = std::strlen(text);
  while (left > 0) {
    const ssize_t n = ::write(fd, text, left);
    if (n <= 0) return;
    text += n;
    left -= static_cast<std::size_t>(n);
  }
}

extern "C" void OnBusError(int) {
  const int slot = g_remove_slot.load();
  if (slot >= 0) ::unlink(g_remove[slot]);
  Put(2, g_program);
  Put(2, ": error: ");
  Put(2, kReason);
  const int log = g_log.load();
  if (log >= 0) {
    Put(log, "Error: ");
    Put(log, kReason);
  }
  ::_exit(g_exit_code);
}

}  // namespace

void InstallBusErrorExit(const char* program, int exit_code) {
  std::strncpy(g_program, program, sizeof g_program - 1);
  g_exit_code = exit_code;
  struct sigaction action {};
  action.sa_handler = OnBusError;
  sigemptyset(&action.sa_mask);
  sigaction(SIGBUS, &action, nullptr);
}

void SetBusErrorLog(int fd) { g_log.store(fd); }

void SetBusErrorRemove(const std::string& path) {
  if (path.empty() || path.size() >= kCapacity) {
    g_remove_slot.store(-1);
    return;
  }
  // Filled in the slot not in use, then published at once: the handler never sees half a name.
  const int slot = g_remove_slot.load() == 0 ? 1 : 0;
  std::memcpy(g_remove[slot], path.c_str(), path.size() + 1);
  g_remove_slot.store(slot);
}

}  // namespace korvex
