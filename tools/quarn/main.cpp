// quarn.exe: scans a GDSII file and writes the scan report the front end reads.
//   quarn.exe INPUT -sh -sea -elmcnt -dtp -o:REPORT [-maxlines:N] [-threads:N]
//   quarn.exe --help | --version
// Exit 0 after writing the report; 1 with one line on standard error when the input cannot be
// read or is not GDSII, or the report cannot be written; 2 for a command line without input.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>

#include <unistd.h>

#include "core/support/bus_error_exit.h"
#include "core/support/command_line_info.h"
#include "core/support/file_io.h"
#include "core/support/replace_file.h"
#include "gds/hierarchy.h"
#include "gds/layout_summary.h"
#include "gds/layout_file.h"
#include "quarn/help_text.h"
#include "quarn/report.h"

namespace {

constexpr const char* kProgram = "quarn.exe";
constexpr std::size_t kWarningsShown = 20;

struct Arguments {
  std::string input;
  std::string report;
  std::uint64_t max_lines = 1000000;
  unsigned threads = 0;  // 0: one per processor, at most 4
};

bool ParseArguments(int argc, char** argv, Arguments& args) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "-sh" || a == "-sea" || a == "-elmcnt" || a == "-dtp") continue;  // sections: all are written
    if (a.starts_with("-o:")) {
      args.report = std::string(a.substr(3));
      continue;
    }
    if (a.starts_with("-maxlines:") || a.starts_with("-threads:")) {
      const std::size_t colon = a.find(':');
      char* end = nullptr;
      const std::string value(a.substr(colon + 1));
      const unsigned long long n = std::strtoull(value.c_str(), &end, 10);
      if (value.empty() || *end != '\0' || n == 0 || (a[1] == 't' && n > 64)) {
        std::fprintf(stderr, "%s: warning: ignoring bad switch %s\n", kProgram, argv[i]);
      } else if (a[1] == 'm') {
        args.max_lines = n;
      } else {
        args.threads = static_cast<unsigned>(n);
      }
      continue;
    }
    if (args.input.empty() && (a.empty() || a[0] != '-' || i == 1)) {
      args.input = std::string(a);
      continue;
    }
    std::fprintf(stderr, "%s: warning: ignoring unknown argument %s\n", kProgram, argv[i]);
  }
  if (args.input.empty()) {
    std::fprintf(stderr, "%s: no input file (usage: %s INPUT -sh -sea -elmcnt -dtp -o:REPORT)\n", kProgram, kProgram);
    return false;
  }
  if (args.report.empty()) {
    // Like the front end: the input's name part with the extension ".ssn", in this directory.
    std::string name = args.input.substr(args.input.find_last_of('/') + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    args.report = name + ".ssn";
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (const korvex::InfoRequest info = korvex::InfoRequestOf(argc, argv); info != korvex::InfoRequest::kNone)
    return korvex::AnswerInfoRequest(info, kProgram, korvex::quarn::HelpText());
  Arguments args;
  if (!ParseArguments(argc, argv, args)) return 2;
  korvex::InstallBusErrorExit(kProgram, 1);
  // Writing the report over the layout would lose it; the rename below would do just that.
  if (korvex::SameFile(args.input, args.report)) {
    std::fprintf(stderr, "%s: the report %s would overwrite the input file %s\n", kProgram, args.report.c_str(),
                 args.input.c_str());
    return 1;
  }

  korvex::gds::MappedFile file;
  korvex::gds::LayoutFileInfo stored;
  std::string error;
  if (!korvex::gds::OpenLayoutFile(args.input, file, stored, error)) {
    std::fprintf(stderr, "%s: cannot read %s: %s\n", kProgram, args.input.c_str(), error.c_str());
    return 1;
  }
  file.AdviseSequential();

  korvex::gds::Diagnostics diagnostics;
  korvex::gds::LayoutSummary summary;
  korvex::gds::SummaryOptions options;
  options.done = [&file](std::size_t from, std::size_t to) { file.Release(from, to); };
  options.threads = args.threads > 0 ? args.threads : std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
  if (!korvex::gds::Summarize(file.data(), file.size(), diagnostics, summary, options)) {
    const korvex::gds::Issue* fatal = diagnostics.fatal();
    std::fprintf(stderr, "%s: %s: %s\n", kProgram, args.input.c_str(), fatal ? fatal->message.c_str() : "not GDSII");
    return 1;
  }
  const std::uint64_t file_size = file.size();
  // Structures placed at odd angles are read again for their exact extents.
  const korvex::gds::Hierarchy hierarchy = korvex::gds::ResolveHierarchy(summary, file.data(), file.size());
  file.Close();

  // Write beside the report and rename, so that a failed run leaves no half-written report.
  std::string temp;
  const int fd = korvex::CreateTemporaryBeside(args.report, ".part", "", temp);
  std::FILE* out = fd < 0 ? nullptr : ::fdopen(fd, "wb");
  if (out == nullptr) {
    if (fd >= 0) {
      ::close(fd);
      std::remove(temp.c_str());
    }
    std::fprintf(stderr, "%s: cannot write the report %s: %s\n", kProgram, args.report.c_str(), std::strerror(errno));
    return 1;
  }
  bool ok;
  {
    korvex::quarn::ReportSink sink(out);
    korvex::quarn::ReportOptions report;
    report.input_path = args.input;
    report.file_size = file_size;
    if (stored.compressed) report.compressed_size = stored.stored_size;
    report.max_lines = args.max_lines;
    korvex::quarn::WriteReport(summary, hierarchy, diagnostics, report, sink);
    ok = sink.Flush();
  }
  ok = ok && std::fflush(out) == 0 && ::fsync(::fileno(out)) == 0;
  ok = (std::fclose(out) == 0) && ok;
  if (!ok || !korvex::CommitRename(temp, args.report)) {
    std::fprintf(stderr, "%s: cannot write the report %s: %s\n", kProgram, args.report.c_str(), std::strerror(errno));
    std::remove(temp.c_str());
    return 1;
  }

  std::size_t shown = 0;
  for (const korvex::gds::Issue& issue : diagnostics.issues()) {
    if (shown++ == kWarningsShown) break;
    std::fprintf(stderr, "%s: %s: %s\n", kProgram, issue.fatal ? "error" : "warning", issue.Text().c_str());
  }
  if (diagnostics.warning_count() > kWarningsShown) {
    std::fprintf(stderr, "%s: %zu warnings in all (see the report)\n", kProgram, diagnostics.warning_count());
  }
  return 0;
}
