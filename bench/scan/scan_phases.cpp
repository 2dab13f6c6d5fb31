// The scanner's steps one by one on a layout already in the page cache: the summary (one
// thread and two), the hierarchy, the report to /dev/null, and what the operating system adds
// (mapping, page release). Prints the best wall time and the processor time of each over
// several runs, so that the fixed cost around the parallel summary can be told apart.
// Usage: scan_phases LAYOUT [RUNS]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "gds/hierarchy.h"
#include "gds/layout_summary.h"
#include "gds/mapped_file.h"
#include "quarn/report.h"

namespace {

using namespace korvex;

double Seconds(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

// Best wall time of `runs`, with the process's processor time of that run.
template <typename Work>
void Time(const char* what, int runs, Work work) {
  double best = 1e30, cpu = 0;
  for (int i = 0; i < runs; ++i) {
    const double w0 = Seconds(CLOCK_MONOTONIC), c0 = Seconds(CLOCK_PROCESS_CPUTIME_ID);
    work();
    const double w = Seconds(CLOCK_MONOTONIC) - w0, c = Seconds(CLOCK_PROCESS_CPUTIME_ID) - c0;
    if (w < best) {
      best = w;
      cpu = c;
    }
  }
  std::printf("%-34s %9.1f ms wall %9.1f ms processor\n", what, best * 1e3, cpu * 1e3);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: scan_phases LAYOUT [RUNS]\n");
    return 2;
  }
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  gds::MappedFile file;
  if (!file.Open(argv[1])) {
    std::fprintf(stderr, "scan_phases: cannot read %s: %s\n", argv[1], file.error().c_str());
    return 1;
  }
  std::printf("%s: %.1f MB, load average %s", argv[1], file.size() / 1e6, "");
  if (std::FILE* load = std::fopen("/proc/loadavg", "r")) {
    char buf[64] = "";
    if (std::fgets(buf, sizeof buf, load)) std::printf("%s", buf);
    std::fclose(load);
  }
  gds::LayoutSummary summary;
  gds::Diagnostics diagnostics;
  for (unsigned threads : {1u, 2u}) {
    gds::SummaryOptions options;
    options.threads = threads;
    options.done = [&file](std::size_t from, std::size_t to) { file.Release(from, to); };
    const std::string what = "summary, " + std::to_string(threads) + (threads == 1 ? " thread" : " threads");
    Time(what.c_str(), runs, [&] {
      diagnostics = gds::Diagnostics();
      if (!gds::Summarize(file.data(), file.size(), diagnostics, summary, options)) std::exit(1);
    });
  }
  std::printf("  %zu structures, %zu references, %llu records, %zu parts\n", summary.listed.size(),
              summary.references.size(), static_cast<unsigned long long>(summary.records), summary.parts);
  gds::Hierarchy hierarchy;
  Time("hierarchy", runs, [&] { hierarchy = gds::ResolveHierarchy(summary, file.data(), file.size()); });
  std::FILE* null = std::fopen("/dev/null", "wb");
  if (null == nullptr) return 1;
  Time("report to /dev/null", runs, [&] {
    quarn::ReportSink sink(null);
    quarn::ReportOptions options;
    options.input_path = argv[1];
    options.file_size = file.size();
    quarn::WriteReport(summary, hierarchy, diagnostics, options, sink);
  });
  Time("summary freed", 1, [&] { summary = gds::LayoutSummary(); });
  std::fclose(null);
  return 0;
}
