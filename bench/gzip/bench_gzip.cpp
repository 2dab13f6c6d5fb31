// Inflates a gzip-compressed layout and deflates its plain form with each codec this build has,
// into unnamed temporary files, and prints the median seconds of several runs (one for deflating).
// Usage: bench_gzip PLAIN.gds PLAIN.gds.gz [RUNS]
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "gds/gzip_stream.h"
#include "gds/layout_file.h"
#include "gds/mapped_file.h"

namespace {

using korvex::gds::Codec;

template <typename Work>
double MedianSeconds(int runs, Work work) {
  std::vector<double> seconds;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    if (!work()) return -1;
    seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(seconds.begin(), seconds.end());
  return seconds[seconds.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_gzip PLAIN.gds PLAIN.gds.gz [RUNS]\n");
    return 2;
  }
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
  korvex::gds::MappedFile plain, packed;
  if (!plain.Open(argv[1]) || !packed.Open(argv[2])) {
    std::fprintf(stderr, "bench_gzip: cannot read the inputs\n");
    return 1;
  }
  const std::string folder = korvex::gds::TemporaryFolder();
  std::printf("%-28s %10s %10s %14s\n", "codec", "time (s)", "MB/s", "output (MB)");
  for (Codec codec : {Codec::kIsal, Codec::kZlib}) {
    if (!korvex::gds::HasCodec(codec)) continue;
    std::uint64_t written = 0;
    const double inflate = MedianSeconds(runs, [&] {
      const int fd = korvex::gds::CreateUnnamedFile(folder);
      const auto r = korvex::gds::InflateToFile(packed.data(), packed.size(), fd, codec);
      written = r.written;
      ::close(fd);
      return r.ok;
    });
    std::printf("%-28s %10.3f %10.0f %14.1f\n", (std::string("inflate, ") + korvex::gds::CodecName(codec)).c_str(),
                inflate, written / 1e6 / inflate, written / 1e6);
    // Deflating is slow and its figure steady: one run.
    const double deflate = MedianSeconds(1, [&] {
      const int fd = korvex::gds::CreateUnnamedFile(folder);
      const auto r = korvex::gds::DeflateFile(plain.descriptor(), plain.size(), fd, codec);
      written = r.written;
      ::close(fd);
      return r.ok;
    });
    std::printf("%-28s %10.3f %10.0f %14.1f\n", (std::string("deflate, ") + korvex::gds::CodecName(codec)).c_str(),
                deflate, plain.size() / 1e6 / deflate, written / 1e6);
  }
  return 0;
}
