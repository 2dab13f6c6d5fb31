// The engine's log: plain lines, each warning and error on one line of its own, written as
// the run goes so that a stopped run still leaves what it did.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>

#include <string>
#include <string_view>

namespace korvex::engine {

class EngineLog {
 public:
  EngineLog() = default;
  ~EngineLog();
  EngineLog(const EngineLog&) = delete;
  EngineLog& operator=(const EngineLog&) = delete;

  // Creates the log file, or empties it once this run holds it alone: a second run of the
  // same input in the same folder is refused (`busy` set) instead of garbling the first's log.
  // False with the system's reason in `error`.
  bool Open(const std::string& path, std::string& error, bool& busy);

  void Line(std::string_view text);
  // "Warning: text". Warnings of one `kind` beyond the first few are only counted; Finish()
  // says how many more there were. Every warning counts towards problems().
  void Warning(std::string_view text, std::string_view kind = {});
  // Counts `count` warnings of `kind` whose details were kept elsewhere, with one line.
  void Warnings(std::uint64_t count, std::string_view text);
  void Error(std::string_view text);

  // Writes the "more of the same" lines and flushes.
  void Finish();
  // Closes the file; a write that fails only now is noted in write_error() too.
  void Close();

  std::uint64_t problems() const { return problems_; }
  // Why a write to the log failed ("" while every line went out).
  const std::string& write_error() const { return write_error_; }

  static constexpr std::size_t kDetailsPerKind = 20;

 private:
  void Write(std::string_view text);

  void Flush();

  std::FILE* file_ = nullptr;
  std::string write_error_;
  std::uint64_t problems_ = 0;
  std::map<std::string, std::uint64_t, std::less<>> per_kind_;
};

}  // namespace korvex::engine
