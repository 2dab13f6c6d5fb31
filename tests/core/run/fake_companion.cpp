// Stands in for the companion programs in tests. Copied or linked under their names, it does
// what its environment asks, in this order:
//   KORVEX_FAKE_RECORD=FILE    write its working directory, arguments and open descriptors
//   KORVEX_FAKE_READY=FILE     create FILE (tells a test that it is running)
//   KORVEX_FAKE_WRITE_TO=FILE  write KORVEX_FAKE_WRITE_TEXT, or the bytes of the file
//                              KORVEX_FAKE_WRITE_FROM, to FILE; without it, to the path of a
//                              "-o:PATH" argument when there is one
//   KORVEX_FAKE_STDERR=TEXT    write TEXT on standard error, KORVEX_FAKE_STDERR_REPEAT times
//   KORVEX_FAKE_PROGRESS=TEXT  write TEXT to the descriptor KORVEX_PROGRESS_FD names
//   KORVEX_FAKE_WAIT_FOR=FILE  wait until FILE exists (at most 30 s)
//   KORVEX_FAKE_SLEEP_MS=N     sleep N milliseconds
//   KORVEX_FAKE_SIGNAL=N       end by signal N
//   KORVEX_FAKE_EXIT=N         exit with status N (default 0)
// The record holds lines "cwd <length>:<bytes>", "arg <length>:<bytes>" (argv[0] first) and
// "fd <number>", so that blanks and line ends inside arguments survive, and
// "progress <length>:<value>" when KORVEX_PROGRESS_FD is set.

#include <dirent.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

const char* Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0' ? value : nullptr;
}

void AddField(std::string& out, const char* key, const std::string& value) {
  out += key;
  out += ' ';
  out += std::to_string(value.size());
  out += ':';
  out += value;
  out += '\n';
}

std::string OpenDescriptors() {
  std::string lines;
  DIR* dir = ::opendir("/proc/self/fd");
  if (dir == nullptr) return lines;
  const int own = ::dirfd(dir);
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    const int fd = std::atoi(entry->d_name);
    if (fd != own) lines += "fd " + std::to_string(fd) + "\n";
  }
  ::closedir(dir);
  return lines;
}

bool WriteWhole(const std::string& path, const std::string& bytes) {
  // Written beside the target and renamed, so a reader never sees half a file.
  const std::string temporary = path + ".fake-tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << bytes;
    if (!out.flush()) return false;
  }
  return std::rename(temporary.c_str(), path.c_str()) == 0;
}

std::string ReadWhole(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (const char* record = Env("KORVEX_FAKE_RECORD")) {
    std::string text;
    char cwd[4096] = {};
    AddField(text, "cwd", ::getcwd(cwd, sizeof cwd) != nullptr ? cwd : "");
    for (int i = 0; i < argc; ++i) AddField(text, "arg", argv[i]);
    text += OpenDescriptors();
    if (const char* progress = std::getenv("KORVEX_PROGRESS_FD")) AddField(text, "progress", progress);
    if (!WriteWhole(record, text)) return 90;
  }
  if (const char* ready = Env("KORVEX_FAKE_READY")) {
    if (!WriteWhole(ready, "ready\n")) return 91;
  }

  std::string target = Env("KORVEX_FAKE_WRITE_TO") != nullptr ? Env("KORVEX_FAKE_WRITE_TO") : "";
  if (target.empty()) {
    for (int i = 1; i < argc; ++i) {
      if (std::strncmp(argv[i], "-o:", 3) == 0) target = argv[i] + 3;
    }
  }
  const char* text = Env("KORVEX_FAKE_WRITE_TEXT");
  const char* from = Env("KORVEX_FAKE_WRITE_FROM");
  if (!target.empty() && (text != nullptr || from != nullptr)) {
    if (!WriteWhole(target, text != nullptr ? std::string(text) : ReadWhole(from))) return 92;
  }

  if (const char* error = Env("KORVEX_FAKE_STDERR")) {
    const char* repeat = Env("KORVEX_FAKE_STDERR_REPEAT");
    for (long i = 0, n = repeat != nullptr ? std::atol(repeat) : 1; i < n; ++i) std::fputs(error, stderr);
    std::fflush(stderr);
  }
  if (const char* progress = Env("KORVEX_FAKE_PROGRESS")) {
    const char* fd = Env("KORVEX_PROGRESS_FD");
    if (fd == nullptr || ::write(std::atoi(fd), progress, std::strlen(progress)) < 0) return 93;
  }
  if (const char* wait = Env("KORVEX_FAKE_WAIT_FOR")) {
    for (int i = 0; i < 3000 && ::access(wait, F_OK) != 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  if (const char* sleep = Env("KORVEX_FAKE_SLEEP_MS")) {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atol(sleep)));
  }
  if (const char* signal = Env("KORVEX_FAKE_SIGNAL")) {
    const int number = std::atoi(signal);
    std::signal(number, SIG_DFL);
    std::raise(number);
  }
  const char* code = Env("KORVEX_FAKE_EXIT");
  return code != nullptr ? std::atoi(code) : 0;
}
