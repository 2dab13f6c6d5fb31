// What the window shows of a companion's progress lines.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/support/progress_line.h"

namespace korvex {

struct ProgressDisplay {
  int percent = -1;  // 0 to 100; -1 when the total is not known (a busy bar)
  std::string text;  // "Scanning chip.gds: 42% · 610 MB/s · 2 s left"
};

// "12 s", "4 min", "2 h 05 min": a remaining time, rounded up, in the unit that reads best.
std::string DurationText(double seconds);

// The display of one line. `title` leads the text ("Scanning chip.gds"); the phase is named
// after it when showPhase is set ("Translating: writing 1.2 GB"). bytesPerSecond <= 0: the
// rate is not known yet, and neither the rate nor the time left is shown.
ProgressDisplay DescribeProgress(const std::string& title, bool showPhase, const ProgressLine& line,
                                 double bytesPerSecond);

// Follows the progress lines of one run as they come in pieces: the last complete line, and the
// rate since its phase began (a new phase, or a phase whose count falls back, starts anew).
class ProgressMeter {
 public:
  ProgressMeter(std::string title, bool showPhase) : m_title(std::move(title)), m_showPhase(showPhase) {}

  // Takes what the channel gave at `seconds` (any steady clock). True when a new line came.
  bool Take(std::string_view piece, double seconds);
  // Nothing before the first line.
  std::optional<ProgressDisplay> Display() const;

 private:
  void TakeLine(std::string_view text, double seconds);

  std::string m_title;
  bool m_showPhase;
  std::string m_partial;  // an unfinished last line
  std::optional<ProgressLine> m_last;
  double m_lastSeconds = 0;
  std::uint64_t m_phaseStartDone = 0;
  double m_phaseStartSeconds = 0;
};

}  // namespace korvex
