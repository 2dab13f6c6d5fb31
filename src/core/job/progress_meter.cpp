#include "core/job/progress_meter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/support/number_text.h"

namespace korvex {
namespace {

// Below this the rate of a phase is mostly its start-up and would mislead.
constexpr double kRateAfterSeconds = 0.5;
// A line longer than any real one is no progress line; it is dropped, not kept growing.
constexpr std::size_t kLongestLine = 256;
constexpr const char* kSeparator = " \u00B7 ";

}  // namespace

std::string DurationText(double seconds) {
  const long long whole = static_cast<long long>(std::ceil(std::max(seconds, 0.0)));
  if (whole < 100) return std::to_string(whole) + " s";
  const long long minutes = (whole + 59) / 60;
  if (minutes < 100) return std::to_string(minutes) + " min";
  char text[48];
  std::snprintf(text, sizeof text, "%lld h %02lld min", minutes / 60, minutes % 60);
  return text;
}

ProgressDisplay DescribeProgress(const std::string& title, bool showPhase, const ProgressLine& line,
                                 double bytesPerSecond) {
  ProgressDisplay display;
  std::string text = title + ": ";
  if (showPhase) text.append(line.phase).append(" ");
  const bool rated = bytesPerSecond > 0;
  if (line.total == 0) {
    text += ByteText(line.done);
    if (rated) text.append(kSeparator).append(ByteText(static_cast<std::uint64_t>(bytesPerSecond))).append("/s");
  } else {
    const std::uint64_t done = std::min(line.done, line.total);
    display.percent = static_cast<int>(static_cast<long double>(done) * 100 / line.total);
    text += std::to_string(display.percent) + "%";
    if (rated) {
      text.append(kSeparator).append(ByteText(static_cast<std::uint64_t>(bytesPerSecond))).append("/s");
      if (done < line.total) {
        text.append(kSeparator)
            .append(DurationText(static_cast<double>(line.total - done) / bytesPerSecond))
            .append(" left");
      }
    }
  }
  display.text = std::move(text);
  return display;
}

bool ProgressMeter::Take(std::string_view piece, double seconds) {
  bool taken = false;
  for (std::size_t end = piece.find('\n'); end != std::string_view::npos; end = piece.find('\n')) {
    if (m_partial.size() + end <= kLongestLine) {
      m_partial.append(piece.substr(0, end));
      const std::optional<ProgressLine> before = m_last;
      TakeLine(m_partial, seconds);
      taken = taken || m_last != before;
    }
    m_partial.clear();
    piece.remove_prefix(end + 1);
  }
  if (m_partial.size() + piece.size() <= kLongestLine) {
    m_partial.append(piece);
  } else {
    m_partial.assign(kLongestLine + 1, ' ');  // the rest of this line is dropped with it
  }
  return taken;
}

void ProgressMeter::TakeLine(std::string_view text, double seconds) {
  std::optional<ProgressLine> line = ParseProgressLine(text);
  if (!line) return;
  if (!m_last || line->phase != m_last->phase || line->done < m_last->done || line->total != m_last->total) {
    m_phaseStartDone = line->done;
    m_phaseStartSeconds = seconds;
  }
  m_last = std::move(line);
  m_lastSeconds = seconds;
}

std::optional<ProgressDisplay> ProgressMeter::Display() const {
  if (!m_last) return std::nullopt;
  const double elapsed = m_lastSeconds - m_phaseStartSeconds;
  const double rate =
      elapsed >= kRateAfterSeconds ? static_cast<double>(m_last->done - m_phaseStartDone) / elapsed : 0.0;
  return DescribeProgress(m_title, m_showPhase, *m_last, rate);
}

}  // namespace korvex
