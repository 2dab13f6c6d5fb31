#include "core/job/run_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "core/support/file_io.h"

namespace korvex {
namespace {

// Writes header and then every byte of in to out; 0 or the error number.
int CopyAfterHeader(int in, int out, const std::string& header) {
  if (!WriteAll(out, header)) return errno != 0 ? errno : EIO;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return 0;
    if (!WriteAll(out, std::string_view(buffer, static_cast<std::size_t>(n)))) return errno != 0 ? errno : EIO;
  }
}

}  // namespace

const char* const kRunLogBanner =
    "Korvex Version 1.41 (May 8, 2000)\r\n"
    "Helvorn Design Software  Tel: +1 555 0100\r\n"
    "support@helvorn.example  https://www.helvorn.example/\r\n"
    "\r\n";

std::string FormatRunRecord(const std::string& outputFile, const std::tm& endTime, long elapsedSeconds) {
  char timing[160];
  std::snprintf(timing, sizeof timing,
                "\r\nEnd Job Time:\t%02d:%02d:%02d  (%d-%d-%d)\r\nElapsed Time:\t%ld second(s)\r\n\r\n",
                endTime.tm_hour, endTime.tm_min, endTime.tm_sec, endTime.tm_mon + 1, endTime.tm_mday,
                endTime.tm_year + 1900, elapsedSeconds);
  std::string record = "GDS Output File:\t";
  record += outputFile;
  record += timing;
  return record;
}

int WriteRunLog(const std::string& logPath, const std::string& copyPath, const std::string& header) {
  ::unlink(copyPath.c_str());  // a leftover of an earlier run; the rename would replace it anyway
  if (::rename(logPath.c_str(), copyPath.c_str()) != 0) return errno;

  int error = 0;
  const int in = ::open(copyPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) error = errno;
  int out = -1;
  if (error == 0) {
    out = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out < 0) error = errno;
  }
  if (error == 0) error = CopyAfterHeader(in, out, header);
  if (out >= 0 && ::close(out) != 0 && error == 0) error = errno;
  if (in >= 0) ::close(in);

  if (error != 0) {
    // Give the engine's log its name back rather than leave half a run log in its place.
    if (out >= 0) ::unlink(logPath.c_str());
    ::rename(copyPath.c_str(), logPath.c_str());
    return error;
  }
  ::unlink(copyPath.c_str());
  return 0;
}

std::string RunLogErrorMessage(int error) {
  if (error == ENOENT) return "File not found when generating log file.\nExit the program and try again.";
  if (error == EACCES || error == EPERM) {
    return "Access denied when generating log file.\nExit the program and try again.";
  }
  std::string message = "(";
  message += std::to_string(error);
  message += ") Error occurred in operating log file.\nExit the program and try again.";
  return message;
}

}  // namespace korvex
