#include "core/job/scan_run.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "companion_fixture.h"
#include "recording_host.h"

namespace korvex {
namespace {

using Args = std::vector<std::string>;

constexpr const char* kReport = test::kScanReport;

class ScanRunTest : public test::CompanionTest {
 protected:
  void SetUp() override {
    test::CompanionTest::SetUp();
    scanner_ = InstallFake(programDir_, "quarn.exe");
    settings_.ProgramDirectory = programDir_;
    dataDir_ = MakeDirectory("da ta");
    RecordChild();
    ScannerWrites(kReport);
  }
  void ScannerWrites(const std::string& report) { SetFake("KORVEX_FAKE_WRITE_TEXT", report); }
  bool Scan(const std::string& path) { return RunScan(path, settings_, scan_, launcher_, host_); }
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const test::ShownMessage& message : host_.messages) texts.push_back(message.text);
    return texts;
  }
  // A successful scan of a first file, then a fresh host for the part under test.
  void ScanFirstFile() {
    settings_.WorkingDirectory = workDir_;
    ASSERT_TRUE(Scan(dataDir_ + "/first.gds"));
    host_ = test::RecordingHost();
    std::filesystem::remove(RecordPath());
  }

  // A scan that failed or was stopped leaves the job and the earlier report as they were.
  void ExpectNothingChanged(const ScanResult& before, const JobSettings& settingsBefore) const {
    EXPECT_EQ(settings_.InputFile, settingsBefore.InputFile);
    EXPECT_EQ(settings_.LayerList, settingsBefore.LayerList);
    EXPECT_EQ(scan_.ScannedFile, before.ScannedFile);
    EXPECT_EQ(scan_.ReportFile, before.ReportFile);
    EXPECT_EQ(scan_.StructureNames, before.StructureNames);
    EXPECT_EQ(scan_.TopStructure, before.TopStructure);
    EXPECT_TRUE(std::filesystem::exists(before.ReportFile));
  }

  JobSettings settings_;
  ScanResult scan_;
  Launcher launcher_;
  test::RecordingHost host_;
  std::string scanner_;
  std::string dataDir_;
};

TEST_F(ScanRunTest, ScanFillsRecordAndResetsLists) {
  const std::string input = dataDir_ + "/CHIP.GDS";
  settings_.LayerList = "99";
  settings_.LayerExclude = 1;
  ASSERT_TRUE(Scan(input));

  const test::ChildRecord record = ReadRecord();
  EXPECT_EQ(record.args, (Args{scanner_, input, "-sh", "-sea", "-elmcnt", "-dtp", "-o:" + dataDir_ + "/CHIP.SSN"}));
  EXPECT_EQ(record.cwd, dataDir_);
  EXPECT_EQ(settings_.WorkingDirectory, dataDir_);

  EXPECT_EQ(settings_.InputFile, input);
  EXPECT_EQ(scan_.ScannedFile, input);
  EXPECT_EQ(scan_.ReportFile, dataDir_ + "/CHIP.SSN");
  EXPECT_EQ(scan_.StructureCount, 2);
  EXPECT_EQ(scan_.TopStructure, "TOP");
  EXPECT_EQ(scan_.TreeCount, 2);
  EXPECT_EQ(scan_.Extents[1].MaxY, 2500);
  EXPECT_EQ(settings_.LayerList, "1,2,10");
  EXPECT_EQ(settings_.DatatypeList, "0,5");

  EXPECT_EQ(host_.statusTexts, (Args{"Scanning GDS File...", "Finished Scanning GDS File"}));
  EXPECT_EQ(host_.panelUpdates, PanelStateAfterScan(kMergeModePlain));
  EXPECT_EQ(host_.recentFiles, Args{input});
  EXPECT_EQ(host_.structureWindowsClosed, 1);
  EXPECT_EQ(host_.logViewEmptied, 1);
  EXPECT_GT(host_.pumpCount, 0);  // the window keeps handling its events while the scanner runs
  EXPECT_FALSE(host_.waitCursor);
  EXPECT_TRUE(host_.messages.empty());
}

TEST_F(ScanRunTest, ReportGoesToWorkingDirectoryAndAddModeClosesMappings) {
  settings_.WorkingDirectory = workDir_;
  settings_.MergeMode = kMergeModeAdd;
  ASSERT_TRUE(Scan(dataDir_ + "/chip.gds"));
  EXPECT_EQ(ReadRecord().args.back(), "-o:" + workDir_ + "/chip.ssn");
  EXPECT_EQ(ReadRecord().cwd, workDir_);
  int mappingButtonsClosed = 0;
  for (const ButtonState& state : host_.panelUpdates) {
    const bool mapping = state.button == PanelButton::kLayerMapping || state.button == PanelButton::kTypeMapping ||
                         state.button == PanelButton::kStructureMapping ||
                         state.button == PanelButton::kPolygonFiltering;
    if (mapping && !state.enabled) ++mappingButtonsClosed;
    if (state.button == PanelButton::kTranslate) {
      EXPECT_TRUE(state.enabled);
    }
  }
  EXPECT_EQ(mappingButtonsClosed, 4);
}

TEST_F(ScanRunTest, OnlyTheNewestReportIsKept) {
  ScanFirstFile();
  const std::string firstReport = workDir_ + "/first.ssn";
  ASSERT_TRUE(std::filesystem::exists(firstReport));
  ASSERT_TRUE(Scan(dataDir_ + "/first.gds"));  // the same file again: overwritten, not deleted
  EXPECT_TRUE(std::filesystem::exists(firstReport));
  ASSERT_TRUE(Scan(dataDir_ + "/second.gds"));
  EXPECT_FALSE(std::filesystem::exists(firstReport));
  EXPECT_TRUE(std::filesystem::exists(workDir_ + "/second.ssn"));
}

TEST_F(ScanRunTest, ScannerErrorChangesNothingButStatus) {
  ScanFirstFile();
  const ScanResult before = scan_;
  const JobSettings settingsBefore = settings_;
  SetFake("KORVEX_FAKE_EXIT", "1");
  // The scanner's reason (its last line on stderr, after a long tail of earlier ones) is shown.
  SetFake("KORVEX_FAKE_STDERR", "quarn.exe: warning: something\n");
  SetFake("KORVEX_FAKE_STDERR_REPEAT", "5000");
  ScannerWrites("STRUCTURE_LIST\n1) OTHER\n\n");
  const std::string input = dataDir_ + "/broken.gds";
  EXPECT_FALSE(Scan(input));
  EXPECT_TRUE(ReadRecord().present);
  EXPECT_EQ(MessageTexts(), Args{"Error occurred in scanning file " + input + ".\nquarn.exe: warning: something"});
  EXPECT_EQ(host_.LastStatus(), "Failed Scanning GDS File");
  ExpectNothingChanged(before, settingsBefore);
  EXPECT_EQ(host_.structureWindowsClosed, 1);
  EXPECT_EQ(host_.logViewEmptied, 0);
  EXPECT_TRUE(host_.panelUpdates.empty());
  EXPECT_TRUE(host_.recentFiles.empty());
  EXPECT_FALSE(host_.waitCursor);
}

TEST_F(ScanRunTest, MissingScannerIsReportedAndWorkingDirectoryKept) {
  std::filesystem::remove(scanner_);
  EXPECT_FALSE(Scan(dataDir_ + "/chip.gds"));
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].caption, scanner_);
  EXPECT_EQ(host_.messages[0].text, std::strerror(ENOENT));
  EXPECT_EQ(host_.LastStatus(), "Failed Scanning GDS File");
  EXPECT_EQ(settings_.InputFile, "");
  EXPECT_EQ(settings_.WorkingDirectory, "");
  EXPECT_FALSE(host_.waitCursor);
}

TEST_F(ScanRunTest, InputWithDoubleQuoteIsRefusedBeforeStart) {
  EXPECT_FALSE(Scan(dataDir_ + "/a\"b.gds"));
  EXPECT_FALSE(ReadRecord().present);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_NE(host_.messages[0].text.find("a\"b.gds"), std::string::npos);
  EXPECT_EQ(host_.LastStatus(), "Failed Scanning GDS File");
}

// A layout named like a report, or reached through a link under the report's name, must not
// be overwritten by its own scan.
TEST_F(ScanRunTest, ReportPathThatIsTheInputIsRefusedBeforeStart) {
  settings_.WorkingDirectory = dataDir_;
  const std::string named = dataDir_ + "/chip.ssn";
  WriteFile(named, "layout bytes");
  EXPECT_FALSE(Scan(named));
  EXPECT_FALSE(ReadRecord().present);
  ASSERT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(host_.messages[0].text,
            "The scan report " + named + " would overwrite the input file " + named + ".");
  EXPECT_EQ(ReadFile(named), "layout bytes");
  EXPECT_EQ(host_.LastStatus(), "Failed Scanning GDS File");

  host_ = test::RecordingHost();
  const std::string linked = dataDir_ + "/other.gds";
  std::filesystem::create_hard_link(named, linked);
  std::filesystem::rename(named, dataDir_ + "/other.ssn");
  EXPECT_FALSE(Scan(linked));
  EXPECT_FALSE(ReadRecord().present);
  EXPECT_EQ(ReadFile(linked), "layout bytes");
}

// A cut layout is scanned up to the damage: the scan counts, but the status and a warning say
// that the input is damaged, where, and what was kept.
TEST_F(ScanRunTest, DamagedInputIsSaidNotPassedOffAsSuccess) {
  const std::string damage =
      "offset 3172: in structure A: record length 0 beyond the end of the data; the scan stopped there and reports "
      "what was read before";
  std::string report = kReport;
  report.insert(report.find("STRUCTURE_LIST"), "Error: " + damage + "\nWarnings: 1\n");
  ScannerWrites(report);
  settings_.WorkingDirectory = workDir_;
  const std::string input = dataDir_ + "/cut.gds";
  EXPECT_TRUE(Scan(input));
  EXPECT_EQ(host_.LastStatus(), "Finished Scanning GDS File (damaged input: see the report)");
  EXPECT_EQ(MessageTexts(), Args{"The input " + input + " is damaged:\n" + damage});
  EXPECT_EQ(scan_.StructureCount, 2);

  host_ = test::RecordingHost();
  ScannerWrites(kReport);
  EXPECT_TRUE(Scan(input));
  EXPECT_EQ(host_.LastStatus(), "Finished Scanning GDS File");
  EXPECT_TRUE(host_.messages.empty());
}

// Stop halfway through a scan (its progress shown): a failed scan that changed nothing, said
// as "Scan cancelled", its progress taken away.
TEST_F(ScanRunTest, StoppedScanLeavesEverythingAsItWas) {
  ScanFirstFile();
  const ScanResult before = scan_;
  const JobSettings settingsBefore = settings_;
  SetFake("KORVEX_FAKE_PROGRESS", "reading 4 8\n");
  SetFake("KORVEX_FAKE_SLEEP_MS", "30000");
  ScannerWrites("STRUCTURE_LIST\n1) OTHER\n\n");
  host_.onPump = [&] {
    if (host_.progressVisible) launcher_.Stop();
  };
  EXPECT_FALSE(Scan(dataDir_ + "/huge.gds"));
  ASSERT_EQ(host_.progressShown.size(), 1u);
  EXPECT_EQ(host_.progressShown[0].text, "Scanning huge.gds: 50%");
  EXPECT_FALSE(host_.progressVisible);
  EXPECT_EQ(host_.LastStatus(), "Scan cancelled");
  EXPECT_TRUE(host_.messages.empty());
  ExpectNothingChanged(before, settingsBefore);
  EXPECT_EQ(host_.logViewEmptied, 0);
  EXPECT_TRUE(host_.recentFiles.empty());
}

TEST_F(ScanRunTest, ReportThatCannotBeOpenedEndsTheRun) {
  ScanFirstFile();
  ::unsetenv("KORVEX_FAKE_WRITE_TEXT");  // the scanner writes no report
  const std::string input = dataDir_ + "/silent.gds";
  EXPECT_FALSE(Scan(input));
  EXPECT_EQ(host_.messages.size(), 1u);
  EXPECT_EQ(settings_.InputFile, input);
  EXPECT_EQ(scan_.StructureCount, 0);
  EXPECT_EQ(host_.logViewEmptied, 1);
  EXPECT_TRUE(host_.panelUpdates.empty());
  EXPECT_EQ(host_.LastStatus(), "Failed Scanning GDS File");
}

TEST_F(ScanRunTest, OpenFileShowsLogsAndScansEverythingElse) {
  settings_.InputFile = "/earlier/input.gds";
  const std::string log = workDir_ + "/RUN.LOG";
  WriteFile(log, "a log\n");
  EXPECT_TRUE(OpenFile(log, settings_, scan_, launcher_, host_));
  EXPECT_FALSE(ReadRecord().present);
  EXPECT_EQ(host_.shownFiles, Args{log});
  EXPECT_EQ(host_.titles, Args{"/earlier/input.gds"});

  settings_.WorkingDirectory = workDir_;
  host_.showInViewAnswer = false;  // too large for the view
  EXPECT_FALSE(OpenFile(dataDir_ + "/chip.gds", settings_, scan_, launcher_, host_));
  EXPECT_TRUE(ReadRecord().present);
  EXPECT_EQ(host_.shownFiles.back(), workDir_ + "/chip.ssn");
  EXPECT_EQ(host_.titles.back(), dataDir_ + "/chip.gds");
}

TEST(ScanFinishedTextTest, SaysWhatWasLeftOut) {
  ScanReportRead read;
  EXPECT_EQ(ScanFinishedText(read), "Finished Scanning GDS File");
  read.structuresDropped = 12;
  read.datatypesDropped = 3;
  EXPECT_EQ(ScanFinishedText(read),
            "Finished Scanning GDS File (report too large, left out: 12 structures, 3 datatypes)");
  read.extentsSaturated = 1;
  EXPECT_EQ(ScanFinishedText(read),
            "Finished Scanning GDS File (report too large, left out: 12 structures, 3 datatypes); "
            "extents beyond the 32-bit range shown saturated (1 structure)");
  read = ScanReportRead{};
  read.extentsSaturated = 4;
  EXPECT_EQ(ScanFinishedText(read),
            "Finished Scanning GDS File; extents beyond the 32-bit range shown saturated (4 structures)");
}

}  // namespace
}  // namespace korvex
