// gdsgen: writes a generated layout.
//   gdsgen --seed N --size SIZE -o FILE [--exotic[=FEATURES]] [--structures N] [--libname NAME] [--pad BYTES]
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "gds/record_writer.h"
#include "gdsgen/generator.h"

namespace {

void Usage() {
  std::fprintf(stderr,
               "usage: gdsgen --seed N --size SIZE -o FILE [--exotic[=FEATURES]] [--structures N] [--libname NAME] "
               "[--pad BYTES]\n  SIZE: bytes, or with k, M, G (binary multiples), e.g. 200k, 100M, 1G\n"
               "  FEATURES: the hostile content to add (all of it without a list), comma-separated from\n   ");
  for (const char* name : korvex::gdsgen::kExoticFeatureNames) std::fprintf(stderr, " %s", name);
  std::fprintf(stderr, "\n");
}

bool ParseNumber(const char* text, std::uint64_t& out) {
  char* end = nullptr;
  errno = 0;
  out = std::strtoull(text, &end, 10);
  return errno == 0 && end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
  korvex::gdsgen::GeneratorOptions options;
  std::string output;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    std::uint64_t number = 0;
    if (arg == "--seed" && has_value && ParseNumber(argv[i + 1], number)) {
      options.seed = number;
      ++i;
    } else if (arg == "--size" && has_value) {
      const auto size = korvex::gdsgen::ParseSize(argv[++i]);
      if (!size) {
        std::fprintf(stderr, "gdsgen: bad size '%s'\n", argv[i]);
        return 2;
      }
      options.size = *size;
    } else if ((arg == "-o" || arg == "--output") && has_value) {
      output = argv[++i];
    } else if (arg == "--exotic") {
      options.exotic = true;
    } else if (arg.starts_with("--exotic=")) {
      const auto features = korvex::gdsgen::ParseExoticFeatures(arg.substr(9));
      if (!features) {
        std::fprintf(stderr, "gdsgen: bad feature list '%s'\n", arg.c_str() + 9);
        Usage();
        return 2;
      }
      options.exotic = true;
      options.exotic_features = *features;
    } else if (arg == "--structures" && has_value && ParseNumber(argv[i + 1], number) && number > 0 &&
               number <= 2000000) {
      options.structures = static_cast<std::uint32_t>(number);
      ++i;
    } else if (arg == "--libname" && has_value) {
      options.library_name = argv[++i];
    } else if (arg == "--pad" && has_value && ParseNumber(argv[i + 1], number) && number <= 65536) {
      options.block = static_cast<std::uint32_t>(number);
      ++i;
    } else if (arg == "-h" || arg == "--help") {
      Usage();
      return 0;
    } else {
      std::fprintf(stderr, "gdsgen: unknown or incomplete argument '%s'\n", arg.c_str());
      Usage();
      return 2;
    }
  }
  if (output.empty()) {
    Usage();
    return 2;
  }
  korvex::gds::FileSink sink;
  if (!sink.Open(output)) {
    std::fprintf(stderr, "gdsgen: cannot create %s: %s\n", output.c_str(), sink.error().c_str());
    return 1;
  }
  korvex::gdsgen::GeneratorStats stats;
  std::string error;
  const bool ok = korvex::gdsgen::GenerateLayout(options, sink, stats, error);
  if (!sink.Close() && ok) error = sink.error();
  if (!ok || !error.empty()) {
    std::fprintf(stderr, "gdsgen: writing %s failed: %s\n", output.c_str(), error.c_str());
    std::remove(output.c_str());
    return 1;
  }
  std::printf("gdsgen: wrote %s: %llu bytes, %u structures, %llu elements\n", output.c_str(),
              static_cast<unsigned long long>(stats.bytes), stats.structures,
              static_cast<unsigned long long>(stats.elements));
  return 0;
}
