// gzip-compressed layouts through the engine: the third-party layouts compressed by the gzip
// program translate exactly as the plain files do, under a .gz name or a plain one, as input or
// merged file, and an output named .gz is what gzip reads back as the plain output.
#include <gtest/gtest.h>

#include <filesystem>

#include "tools/korvexe/engine_fixture.h"

namespace korvex::enginetest {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> ThirdPartyLayouts() {
  std::vector<fs::path> files;
  const fs::path dir = KORVEX_SHARED_TESTDATA;
  if (fs::is_directory(dir))
    for (const auto& entry : fs::directory_iterator(dir))
      if (entry.path().extension() == ".gds") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }
std::string Q(const std::string& path) { return "\"" + path + "\""; }

class CompressedLayouts : public ::testing::Test {
 protected:
  // Copy-through with one filter, so that the element path runs as well as the file copies.
  EngineResult Translate(const std::string& input, const std::string& output, const std::string& switches = " -x1") {
    return RunEngineText(Q(input) + " " + Q(output) + " \"\"" + switches + " -min:0.000000 -tmag:1000000.000000", dir_);
  }
  TempDir dir_;
};

TEST_F(CompressedLayouts, TranslateToTheBytesOfThePlainFile) {
  const auto files = ThirdPartyLayouts();
  if (files.empty()) GTEST_SKIP() << "no third-party layouts beside the repository";
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.filename().string());
    const std::string gz = dir_.File("in.gds.gz"), misnamed = dir_.File("in.gds");
    ASSERT_TRUE(Shell("gzip -6 -c " + Q(file.string()) + " > " + Q(gz) + " && cp " + Q(gz) + " " + Q(misnamed)));
    ASSERT_EQ(Translate(file.string(), dir_.File("plain.gds")).exit_code, 0);
    const EngineResult from_gz = Translate(gz, dir_.File("from_gz.gds"));
    ASSERT_EQ(from_gz.exit_code, 0) << from_gz.log;
    EXPECT_NE(from_gz.log.find("Decompressed " + gz + ": " + std::to_string(fs::file_size(gz)) +
                               " bytes gzip-compressed, " + std::to_string(fs::file_size(file)) + " bytes of GDSII"),
              std::string::npos)
        << from_gz.log;
    ASSERT_EQ(Translate(misnamed, dir_.File("misnamed.gds")).exit_code, 0);
    const std::string plain = ReadText(dir_.File("plain.gds"));
    EXPECT_TRUE(ReadText(dir_.File("from_gz.gds")) == plain);
    EXPECT_TRUE(ReadText(dir_.File("misnamed.gds")) == plain);
  }
}

TEST_F(CompressedLayouts, AnOutputNamedGzIsCompressedAndLeavesNoTemporary) {
  const std::string input = GenerateFile(dir_, "gen.gds", 3, 2u << 20);
  ASSERT_EQ(Translate(input, dir_.File("plain.gds"), "").exit_code, 0);
  const EngineResult r = Translate(input, dir_.File("out.gds.gz"), "");
  ASSERT_EQ(r.exit_code, 0) << r.log;
  ASSERT_TRUE(Shell("gzip -dc " + Q(dir_.File("out.gds.gz")) + " > " + Q(dir_.File("back.gds"))));
  EXPECT_TRUE(ReadText(dir_.File("back.gds")) == ReadText(dir_.File("plain.gds")));
  EXPECT_LT(fs::file_size(dir_.File("out.gds.gz")), fs::file_size(dir_.File("plain.gds")) / 2);
  EXPECT_TRUE(FilesWith(dir_, ".tmp").empty());
  // And it reads back as an input of its own.
  ASSERT_EQ(Translate(dir_.File("out.gds.gz"), dir_.File("again.gds"), "").exit_code, 0);
  EXPECT_TRUE(ReadText(dir_.File("again.gds")) == ReadText(dir_.File("plain.gds")));
}

TEST_F(CompressedLayouts, MergedFilesMayBeCompressed) {
  const std::string input = GenerateFile(dir_, "a.gds", 4);
  const std::string second = GenerateFile(dir_, "b.gds", 5);
  ASSERT_TRUE(Shell("gzip -c " + Q(second) + " > " + Q(dir_.File("b.gds.gz"))));
  WriteText(dir_.File("korvex.lst"), second + "\n");
  ASSERT_EQ(Translate(input, dir_.File("plain.gds"), " -add").exit_code, 0);
  WriteText(dir_.File("korvex.lst"), dir_.File("b.gds.gz") + "\n");
  const EngineResult r = Translate(input, dir_.File("from_gz.gds"), " -add");
  ASSERT_EQ(r.exit_code, 0) << r.log;
  EXPECT_TRUE(ReadText(dir_.File("from_gz.gds")) == ReadText(dir_.File("plain.gds")));
}

TEST_F(CompressedLayouts, ADamagedStreamIsRefusedWithItsOffsetAndWritesNothing) {
  const std::string input = GenerateFile(dir_, "gen.gds", 6, 1u << 20);
  ASSERT_TRUE(Shell("gzip -c " + Q(input) + " | head -c 20000 > " + Q(dir_.File("cut.gds.gz"))));
  const EngineResult r = Translate(dir_.File("cut.gds.gz"), dir_.File("out.gds"), "");
  EXPECT_NE(r.exit_code, 0);
  EXPECT_NE(r.log.find("gzip stream cut short at byte 20000 of the gzip stream"), std::string::npos) << r.log;
  EXPECT_FALSE(Exists(dir_.File("out.gds")));
}

}  // namespace
}  // namespace korvex::enginetest
