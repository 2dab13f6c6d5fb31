#include "core/job/companion_start.h"

#include <chrono>

#include "core/support/argument_text.h"

namespace korvex {

std::string UnquotableNameMessage(std::string_view name) {
  return "The name " + std::string(name) +
         " contains a double quote and cannot be passed to another program.\n"
         "Rename it and try again.";
}

bool CheckQuotedNames(RunHost& host, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    if (!CanQuoteArgument(name)) {
      host.ShowMessage("", UnquotableNameMessage(name), MessageIcon::kStop);
      return false;
    }
  }
  return true;
}

std::string WithReason(const std::string& text, const LaunchResult& result) {
  const std::string reason = LastErrorLine(result.errorOutput);
  return reason.empty() ? text : text + "\n" + reason;
}

LaunchResult StartCompanion(Launcher& launcher, RunHost& host, const LaunchRequest& request) {
  LaunchResult result = launcher.Launch(request);
  if (result.code != kLaunchStarted) host.ShowMessage(request.program, result.errorText, MessageIcon::kStop);
  return result;
}

LaunchResult RunWithProgress(Launcher& launcher, RunHost& host, LaunchRequest request, const ProgressTitle& title) {
  ProgressMeter meter(title.title, title.showPhase);
  const auto start = std::chrono::steady_clock::now();
  request.progress = [&](std::string_view piece) {
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (meter.Take(piece, seconds)) host.ShowProgress(*meter.Display());
  };
  LaunchResult result = StartCompanion(launcher, host, request);
  host.HideProgress();
  return result;
}

}  // namespace korvex
