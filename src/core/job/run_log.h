#pragma once

#include <ctime>
#include <string>

namespace korvex {

// First lines of every run log: product and version, maker and telephone, e-mail and web
// address, an empty line.
extern const char* const kRunLogBanner;

// The record of one run that follows the banner: output file, local end time and elapsed
// whole seconds, lines ended by CR LF and closed by an empty line.
std::string FormatRunRecord(const std::string& outputFile, const std::tm& endTime, long elapsedSeconds);

// Puts header before the engine's log: the log is moved to copyPath (an older file there is
// replaced), logPath is written anew with header and the moved bytes unchanged, and the copy
// is deleted. Returns 0, or the system error number of the first failure; on a failure the
// engine's log is put back under logPath, so nothing of it is lost.
int WriteRunLog(const std::string& logPath, const std::string& copyPath, const std::string& header);

// The message for a failure of WriteRunLog.
std::string RunLogErrorMessage(int error);

}  // namespace korvex
