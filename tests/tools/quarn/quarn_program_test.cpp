// Runs the real quarn.exe on broken and hostile inputs: it must never crash or hang, and must
// either write a complete report (warnings allowed) or exit non-zero with one line of reason.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

#include "../../gds/test_bytes.h"
#include "gds/record.h"
#include "gds/record_writer.h"
#include "gds/stream_writer.h"
#include "../../gds/generated_layout.h"
#include "run_program.h"

namespace korvex::quarn {
namespace {

namespace fs = std::filesystem;
using gds::testing::Hex;
using gds::testing::MinimalLibrary;

const std::string kQuarn = std::string(KORVEX_BIN_DIR) + "/quarn.exe";

class QuarnRun : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("quarn_test_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  struct Outcome {
    testing::ProgramRun run;
    bool report = false;
    std::string text;
  };

  Outcome Scan(const std::vector<std::uint8_t>& bytes, std::vector<std::string> extra = {}) {
    const fs::path in = dir_ / "in.gds", out = dir_ / "in.ssn";
    fs::remove(out);
    std::ofstream(in, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                               static_cast<std::streamsize>(bytes.size()));
    std::vector<std::string> argv = {kQuarn, in.string(), "-sh", "-sea", "-elmcnt", "-dtp", "-o:" + out.string()};
    argv.insert(argv.end(), extra.begin(), extra.end());
    Outcome o;
    o.run = testing::RunProgram(argv, dir_.string(), 60);
    o.report = fs::exists(out);
    if (o.report) {
      std::stringstream s;
      s << std::ifstream(out, std::ios::binary).rdbuf();
      o.text = s.str();
    }
    return o;
  }

  // The contract for any input at all.
  static void ExpectCleanOutcome(const Outcome& o, const std::string& what) {
    ASSERT_TRUE(o.run.started) << what;
    ASSERT_FALSE(o.run.timed_out) << what << ": hung";
    ASSERT_FALSE(o.run.signalled) << what << ": crashed";
    if (o.run.exit_code == 0) {
      ASSERT_TRUE(o.report) << what;
      const auto h = o.text.find("\nHIERARCHY of INDEPENDENT STRUCTURES\n");
      EXPECT_NE(o.text.find("\nSTRUCTURE_LIST\n"), std::string::npos) << what;
      EXPECT_NE(o.text.find("\nSTRUCTURE EXTENTS\n"), std::string::npos) << what;
      EXPECT_NE(h, std::string::npos) << what;
      EXPECT_EQ(o.text.back(), '\n') << what;
    } else {
      EXPECT_FALSE(o.report) << what << ": a failed scan leaves no report";
      EXPECT_EQ(std::count(o.run.err.begin(), o.run.err.end(), '\n'), 1) << what << ": " << o.run.err;
    }
  }

  fs::path dir_;
};

using gds::testing::Generated;

TEST_F(QuarnRun, ScansAGoodFileQuietly) {
  const Outcome o = Scan(MinimalLibrary());
  ExpectCleanOutcome(o, "minimal");
  EXPECT_EQ(o.run.exit_code, 0);
  EXPECT_EQ(o.run.err, "");
  EXPECT_NE(o.text.find("\nTOP (0, 0, 1, 1)\n"), std::string::npos);
}

// The report must never replace the layout it describes: not by name, not through a link,
// not by the default name of an input that itself ends in .ssn.
TEST_F(QuarnRun, RefusesAReportPathThatIsTheInput) {
  const std::vector<std::uint8_t> layout = MinimalLibrary();
  const fs::path in = dir_ / "lay.gds";
  std::ofstream(in, std::ios::binary).write(reinterpret_cast<const char*>(layout.data()),
                                             static_cast<std::streamsize>(layout.size()));
  fs::create_symlink(in, dir_ / "soft.gds");
  fs::create_hard_link(in, dir_ / "hard.gds");
  fs::copy_file(in, dir_ / "named.ssn");
  const std::vector<std::vector<std::string>> runs = {
      {kQuarn, in.string(), "-o:" + in.string()},
      {kQuarn, in.string(), "-o:" + (dir_ / "soft.gds").string()},
      {kQuarn, (dir_ / "soft.gds").string(), "-o:" + (dir_ / "hard.gds").string()},
      {kQuarn, "named.ssn"},
  };
  for (const std::vector<std::string>& argv : runs) {
    const testing::ProgramRun run = testing::RunProgram(argv, dir_.string(), 60);
    EXPECT_EQ(run.exit_code, 1) << argv.back();
    EXPECT_NE(run.err.find("would overwrite the input file"), std::string::npos) << run.err;
  }
  for (const char* name : {"lay.gds", "hard.gds", "named.ssn"}) {
    EXPECT_EQ(fs::file_size(dir_ / name), layout.size()) << name;
  }
  EXPECT_TRUE(fs::is_symlink(dir_ / "soft.gds"));
}

// A FIFO would block the open and a device would be read forever: refused at once.
TEST_F(QuarnRun, RefusesInputsThatAreNotRegularFiles) {
  const fs::path fifo = dir_ / "pipe.gds";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& input : {fifo.string(), std::string("/dev/zero")}) {
    const testing::ProgramRun run = testing::RunProgram({kQuarn, input, "-o:" + (dir_ / "r.ssn").string()}, dir_.string(), 20);
    ASSERT_FALSE(run.timed_out) << input;
    EXPECT_EQ(run.exit_code, 1) << input;
    EXPECT_NE(run.err.find("not a regular file"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir_ / "r.ssn"));
  }
}

TEST_F(QuarnRun, RefusesAnEmptyFileACutGzipStreamAndRandomBytesWithOneLine) {
  Outcome o = Scan({});
  ExpectCleanOutcome(o, "empty");
  EXPECT_NE(o.run.exit_code, 0);
  EXPECT_NE(o.run.err.find("empty file"), std::string::npos);
  o = Scan(Hex("1F 8B 08 00 00 00 00 00"));
  EXPECT_NE(o.run.exit_code, 0);
  EXPECT_NE(o.run.err.find("gzip stream cut short at byte 8"), std::string::npos) << o.run.err;
  std::uint64_t state = 99;
  for (int i = 0; i < 20; ++i) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(i * 97 + 1));
    for (auto& b : bytes) {
      state = state * 6364136223846793005ull + 1442695040888963407ull;
      b = static_cast<std::uint8_t>(state >> 56);
    }
    if (i % 2 == 0 && bytes.size() >= 4) {  // half of them start like a stream
      bytes[0] = 0;
      bytes[1] = 6;
      bytes[2] = 0;
      bytes[3] = 2;
    }
    ExpectCleanOutcome(Scan(bytes), "random " + std::to_string(i));
  }
}

// Everything but the lines that name the file and its size.
std::string ReportBody(const std::string& text) {
  std::stringstream in(text), out;
  for (std::string line; std::getline(in, line);)
    if (line.rfind("Input file: ", 0) != 0 && line.rfind("File size: ", 0) != 0) out << line << '\n';
  return out.str();
}

std::string LineStarting(const std::string& text, const std::string& start) {
  const auto at = text.find("\n" + start);
  return at == std::string::npos ? "" : text.substr(at + 1, text.find('\n', at + 1) - at - 1);
}

TEST_F(QuarnRun, ReadsAGzipCompressedLayoutUnderAnyNameAsThePlainOne) {
  const std::vector<std::uint8_t> bytes = Generated(21, 600000, true);
  const Outcome plain = Scan(bytes);
  ASSERT_EQ(plain.run.exit_code, 0) << plain.run.err;
  const fs::path in = dir_ / "in.gds", gz = dir_ / "in.gds.gz", tmp = dir_ / "tmp";
  fs::create_directories(tmp);
  ASSERT_EQ(std::system(("gzip -c " + in.string() + " > " + gz.string()).c_str()), 0);
  const std::string sizes = "File size: " + std::to_string(bytes.size()) + " bytes (gzip-compressed: " +
                            std::to_string(fs::file_size(gz)) + " bytes)";
  // Under its own name, then under the plain one.
  for (const fs::path& input : {gz, in}) {
    if (input == in) fs::copy_file(gz, in, fs::copy_options::overwrite_existing);
    const fs::path out = dir_ / "gz.ssn";
    const auto run = testing::RunProgram({"env", "TMPDIR=" + tmp.string(), kQuarn, input.string(), "-sh", "-sea", "-elmcnt",
                                          "-dtp", "-o:" + out.string()},
                                         dir_.string(), 60);
    ASSERT_EQ(run.exit_code, 0) << run.err;
    std::stringstream text;
    text << std::ifstream(out, std::ios::binary).rdbuf();
    EXPECT_EQ(ReportBody(text.str()), ReportBody(plain.text)) << input;
    EXPECT_EQ(LineStarting(text.str(), "File size: "), sizes);
    EXPECT_TRUE(fs::is_empty(tmp));
  }
}

TEST_F(QuarnRun, ReportsWhatWasReadBeforeATruncation) {
  const auto whole = Generated(5, 20000, true);
  for (std::size_t cut = 5; cut < whole.size(); cut += whole.size() / 37) {
    const Outcome o = Scan(std::vector<std::uint8_t>(whole.begin(), whole.begin() + static_cast<long>(cut)));
    ExpectCleanOutcome(o, "cut at " + std::to_string(cut));
  }
  auto bytes = MinimalLibrary();
  bytes.resize(0x90);  // inside the XY record of TOP
  const Outcome o = Scan(bytes);
  ExpectCleanOutcome(o, "cut in XY");
  EXPECT_EQ(o.run.exit_code, 0);
  EXPECT_NE(o.text.find("Error: offset 114: XY in structure TOP: truncated record"), std::string::npos) << o.text;
  EXPECT_NE(o.run.err.find("truncated record"), std::string::npos);
}

TEST_F(QuarnRun, SurvivesBadLengths) {
  auto bytes = MinimalLibrary();
  bytes[0x67] = 2;  // LAYER record length 2
  Outcome o = Scan(bytes);
  ExpectCleanOutcome(o, "length 2");
  EXPECT_NE(o.text.find("record length below 4"), std::string::npos);
  bytes = MinimalLibrary();
  bytes.erase(bytes.begin() + 0x61);  // STRNAME "TOP" with length 7
  bytes[0x5B] = 7;
  o = Scan(bytes);
  ExpectCleanOutcome(o, "odd length");
  EXPECT_EQ(o.run.exit_code, 0);
  EXPECT_NE(o.text.find("\n1) TOP\n"), std::string::npos);
  EXPECT_NE(o.text.find("odd record length"), std::string::npos);
}

TEST_F(QuarnRun, IgnoresPaddingButWarnsAboutGarbageAfterEndlib) {
  auto bytes = MinimalLibrary();
  bytes.resize(2048, 0);
  Outcome o = Scan(bytes);
  EXPECT_EQ(o.run.exit_code, 0);
  EXPECT_EQ(o.run.err, "");
  bytes.insert(bytes.end(), {'g', 'a', 'r', 'b', 'a', 'g', 'e'});
  o = Scan(bytes);
  ExpectCleanOutcome(o, "garbage");
  EXPECT_EQ(o.run.exit_code, 0);
  EXPECT_NE(o.text.find("data after ENDLIB ignored"), std::string::npos);
}

TEST_F(QuarnRun, HandlesCyclesUndefinedStructuresAndEmptyArrays) {
  gds::MemorySink sink;
  {
    gds::RecordWriter w(sink);
    gds::LibraryHeader lib;
    gds::WriteLibraryHeader(w, lib);
    auto structure = [&](const std::string& name, const std::vector<gds::Element>& elements) {
      gds::StructureHeader h;
      h.name = name;
      gds::WriteStructureBegin(w, h);
      for (const auto& e : elements) gds::WriteElement(w, e);
      gds::WriteStructureEnd(w, h);
    };
    gds::Element ref;
    ref.kind = gds::ElementKind::kSRef;
    ref.has_sname = true;
    ref.xy = {{0, 0}};
    gds::Element missing = ref, loop = ref, top = ref, self = ref;
    missing.sname = "MISSING";
    loop.sname = "LOOP";
    top.sname = "TOP";
    self.sname = "SELF";
    gds::Element array = ref;
    array.kind = gds::ElementKind::kARef;
    array.sname = "SELF";
    array.colrow = std::array<std::uint16_t, 2>{0, 3};
    array.xy = {{0, 0}, {0, 0}, {0, 30}};
    gds::Element square;
    square.layer = 1;
    square.datatype = 0;
    square.xy = {{0, 0}, {0, 1000}, {1000, 1000}, {1000, 0}, {0, 0}};
    structure("TOP", {missing, loop});
    structure("LOOP", {square, top});
    structure("SELF", {square, self, array});
    gds::WriteLibraryEnd(w);
  }
  const Outcome o = Scan(sink.bytes);
  ExpectCleanOutcome(o, "cycles");
  EXPECT_EQ(o.run.exit_code, 0);
  EXPECT_NE(o.text.find("  |__ MISSING (UNDEFINED)\n"), std::string::npos);
  EXPECT_NE(o.text.find("  |    |__ TOP (RECURSIVE)\n"), std::string::npos);
  EXPECT_NE(o.text.find("  |__ SELF (RECURSIVE)\n"), std::string::npos);
  EXPECT_NE(o.text.find("Reference cycle: TOP -> LOOP -> TOP"), std::string::npos);
  EXPECT_NE(o.text.find("AREF with invalid COLROW"), std::string::npos);
  EXPECT_NE(o.text.find("\nTOP (0, 0, 1, 1)\n"), std::string::npos);
}

TEST_F(QuarnRun, WarnsAboutUnknownSwitchesAndRefusesAMissingInput) {
  Outcome o = Scan(MinimalLibrary(), {"-bogus"});
  EXPECT_EQ(o.run.exit_code, 0);
  EXPECT_NE(o.run.err.find("-bogus"), std::string::npos);
  const auto run = testing::RunProgram({kQuarn, (dir_ / "nowhere.gds").string(), "-o:" + (dir_ / "x.ssn").string()});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
  EXPECT_NE(run.err.find("No such file"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ / "x.ssn"));
}

TEST_F(QuarnRun, ScansGeneratedExoticLayoutsWithoutWarnings) {
  for (std::uint64_t seed : {1, 2}) {
    const Outcome o = Scan(Generated(seed, 100000, true));
    ExpectCleanOutcome(o, "exotic");
    EXPECT_EQ(o.run.exit_code, 0);
    EXPECT_EQ(o.run.err, "");
    EXPECT_NE(o.text.find("\nTOP%20%28exotic%29\n"), std::string::npos);
  }
}

}  // namespace
}  // namespace korvex::quarn
