#include "core/job/job_file.h"

#include <filesystem>

#include "core/options/temp_folder.h"

namespace korvex {
namespace {

namespace fs = std::filesystem;

class JobFileTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    fs::create_directories(folder_ / "jobs");
    fs::create_directories(folder_ / "work");
  }
  std::string Path(const std::string& relative) const { return PathOf(relative); }
  JobFileRead ReadJob(const std::string& text) {
    Write("jobs/j.kjob", text);
    return ReadJobFile(Path("jobs/j.kjob"));
  }
};

// Every option a translation reads, each away from its default.
JobSettings EveryKeySet(const std::string& root) {
  JobSettings s;
  s.InputFile = root + "/in put/chip.gds";
  s.OutputFile = root + "/out/chip_out.gds";
  s.WorkingDirectory = root + "/work";
  s.NewTopStr = "NEWTOP";
  s.MergeFileList = "\"/a/one.gds\" \"/b/two words.gds\"";
  s.LayerList = "1,5,63";
  s.LayerExclude = 1;
  s.DatatypeList = "0,7";
  s.DatatypeExclude = 1;
  s.LayerMap = "2-3:10-11,4:11";
  s.DatatypeMap = "0:5";
  s.MergeMode = 2;
  s.Combine = 1;
  s.Prune = 0;
  s.FixNames = 1;
  s.SpecifyCase = 1;
  s.LowerCase = 0;
  s.Unfold = 1;
  s.Explode = 1;
  s.PFOn = 1;
  s.MaxVertex = 4000;
  s.PolyOff = 3;
  s.VertCnt = -2;
  s.MinWidth = 0.35;
  s.MaxText = 12.5;
  s.MinExt = 0.001;
  s.MaxExt = 1e6;
  s.HWRatio = 2.5;
  s.WHRatio = 3;
  s.AreaRatio = 1.25;
  return s;
}

TEST_F(JobFileTest, SaveAndOpenRoundTripEveryKey) {
  const JobSettings saved = EveryKeySet(Folder());
  const std::vector<std::string> map = {"A%20B NEW_A", "LONGNAME X"};
  ASSERT_EQ(WriteJobFile(Path("jobs/j.kjob"), saved, "TOP CELL", map), "");
  const JobFileRead read = ReadJobFile(Path("jobs/j.kjob"));
  ASSERT_TRUE(read.ok) << read.error;
  const JobSettings& s = read.job.settings;
  EXPECT_EQ(s.InputFile, saved.InputFile);
  EXPECT_EQ(s.OutputFile, saved.OutputFile);
  EXPECT_EQ(s.WorkingDirectory, saved.WorkingDirectory);
  EXPECT_EQ(read.job.topStructure, "TOP CELL");
  EXPECT_EQ(read.job.structureMap, map);
  EXPECT_TRUE(read.job.hasLayerList);
  EXPECT_TRUE(read.job.hasDatatypeList);
  for (auto field : {&JobSettings::NewTopStr, &JobSettings::MergeFileList, &JobSettings::LayerList,
                     &JobSettings::DatatypeList, &JobSettings::LayerMap, &JobSettings::DatatypeMap}) {
    EXPECT_EQ(s.*field, saved.*field);
  }
  for (auto field : {&JobSettings::LayerExclude, &JobSettings::DatatypeExclude, &JobSettings::MergeMode,
                     &JobSettings::Combine, &JobSettings::Prune, &JobSettings::FixNames, &JobSettings::SpecifyCase,
                     &JobSettings::LowerCase, &JobSettings::Unfold, &JobSettings::Explode, &JobSettings::PFOn,
                     &JobSettings::MaxVertex, &JobSettings::PolyOff, &JobSettings::VertCnt}) {
    EXPECT_EQ(s.*field, saved.*field);
  }
  for (auto field : {&JobSettings::MinWidth, &JobSettings::MaxText, &JobSettings::MinExt, &JobSettings::MaxExt,
                     &JobSettings::HWRatio, &JobSettings::WHRatio, &JobSettings::AreaRatio}) {
    EXPECT_DOUBLE_EQ(s.*field, saved.*field);
  }
  const std::string text = Read("jobs/j.kjob");
  EXPECT_EQ(text.rfind("[Korvex Job]\n", 0), 0u) << text;
  EXPECT_NE(text.find("\nStructureMap2=LONGNAME X\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nVertCnt=4294967294\n"), std::string::npos) << "integers as unsigned decimal";
  // Window preferences belong to the profile, never to a job.
  EXPECT_EQ(text.find("ControlDialog"), std::string::npos);
}

TEST_F(JobFileTest, MissingKeysMeanWhatAFreshScanGives) {
  const JobFileRead read = ReadJob("[Korvex Job]\nInputFile=/data/chip.gds\n");
  ASSERT_TRUE(read.ok) << read.error;
  const JobSettings defaults;
  const JobSettings& s = read.job.settings;
  EXPECT_FALSE(read.job.hasLayerList);
  EXPECT_FALSE(read.job.hasDatatypeList);
  EXPECT_EQ(read.job.topStructure, "");
  EXPECT_TRUE(read.job.structureMap.empty());
  EXPECT_EQ(s.LayerMap, "");
  EXPECT_EQ(s.Prune, defaults.Prune);
  EXPECT_EQ(s.MaxVertex, defaults.MaxVertex);
  EXPECT_DOUBLE_EQ(s.MaxText, defaults.MaxText);
  EXPECT_EQ(s.OutputFile, "");
  EXPECT_EQ(s.WorkingDirectory, Path("jobs")) << "the working directory defaults to the job file's folder";
}

TEST_F(JobFileTest, RelativePathsAreTakenFromTheJobFolder) {
  const JobFileRead read =
      ReadJob("; hand-written\n[korvex job]\ninputfile=../data/chip.gds\nOutputFile=out.gds\nWorkingDirectory=../work\n"
              "LayerList=1-5,8\nStructureMap1=A B\nStructureMap3=never read: 2 is missing\n");
  ASSERT_TRUE(read.ok) << read.error;
  EXPECT_EQ(read.job.settings.InputFile, Path("data/chip.gds"));
  EXPECT_EQ(read.job.settings.OutputFile, Path("jobs/out.gds"));
  EXPECT_EQ(read.job.settings.WorkingDirectory, Path("work"));
  EXPECT_EQ(read.job.settings.LayerList, "1-5,8");
  EXPECT_EQ(read.job.structureMap, std::vector<std::string>{"A B"});
}

TEST_F(JobFileTest, UnusableFilesAreRefusedNamingThem) {
  EXPECT_EQ(ReadJobFile(Path("jobs/none.kjob")).error, "The job file " + Path("jobs/none.kjob") + " does not exist.");
  EXPECT_EQ(ReadJobFile(Path("jobs")).error, "The job file " + Path("jobs") + " does not exist.");
  const JobFileRead other = ReadJob("[Korvex]\nInputFile=/a.gds\n");
  EXPECT_FALSE(other.ok);
  EXPECT_NE(other.error.find("has no [Korvex Job] section"), std::string::npos) << other.error;
  const JobFileRead noInput = ReadJob("[Korvex Job]\nLayerList=1\n");
  EXPECT_FALSE(noInput.ok);
  EXPECT_NE(noInput.error.find("names no InputFile"), std::string::npos) << noInput.error;
}

TEST_F(JobFileTest, SavingOverAnOlderJobLeavesNothingOfIt) {
  JobSettings s;
  s.InputFile = "/data/chip.gds";
  s.WorkingDirectory = Path("work");
  ASSERT_EQ(WriteJobFile(Path("jobs/j.kjob"), s, "TOP", {"A 1", "B 2", "C 3"}), "");
  ASSERT_EQ(WriteJobFile(Path("jobs/j.kjob"), s, "TOP", {"A 9"}), "");
  EXPECT_EQ(ReadJobFile(Path("jobs/j.kjob")).job.structureMap, std::vector<std::string>{"A 9"});
}

TEST_F(JobFileTest, LineBreakInAValueKeepsTheOldFile) {
  JobSettings s;
  s.InputFile = "/data/chip.gds";
  ASSERT_EQ(WriteJobFile(Path("jobs/j.kjob"), s, "TOP", {}), "");
  const std::string before = Read("jobs/j.kjob");
  s.NewTopStr = "X\nInputFile=/etc/passwd";
  EXPECT_NE(WriteJobFile(Path("jobs/j.kjob"), s, "TOP", {}), "");
  EXPECT_EQ(Read("jobs/j.kjob"), before);
}

TEST_F(JobFileTest, WorkingDirectoryIsWrittenOnlyWhereItIsNotTheJobFolder) {
  JobSettings s;
  s.InputFile = "/data/chip.gds";
  s.WorkingDirectory = Path("jobs") + "/";
  ASSERT_EQ(WriteJobFile(Path("jobs/j.kjob"), s, "", {}), "");
  EXPECT_EQ(Read("jobs/j.kjob").find("WorkingDirectory"), std::string::npos);
  s.WorkingDirectory = Path("work");
  ASSERT_EQ(WriteJobFile(Path("jobs/j.kjob"), s, "", {}), "");
  EXPECT_NE(Read("jobs/j.kjob").find("WorkingDirectory=" + Path("work") + "\n"), std::string::npos);
}

TEST_F(JobFileTest, StructureMapLinesRoundTripAndNoneDeletesTheFile) {
  const std::string path = Path("work/korvex.smp");
  ASSERT_EQ(WriteStructureMapLines(path, {"A B", "C%20D E"}), "");
  EXPECT_EQ(Read("work/korvex.smp"), "A B\r\nC%20D E\r\n");
  EXPECT_EQ(ReadStructureMapLines(path), (std::vector<std::string>{"A B", "C%20D E"}));
  ASSERT_EQ(WriteStructureMapLines(path, {}), "");
  EXPECT_FALSE(fs::exists(path));
  EXPECT_TRUE(ReadStructureMapLines(path).empty());
}

TEST_F(JobFileTest, ApplyingAJobKeepsWhatTheScanDecidesWhereTheJobIsSilent) {
  JobSettings settings;
  settings.LayerList = "1,2,10";  // as the scan set them
  settings.DatatypeList = "0,5";
  settings.LayerMap = "7:8";      // left from an earlier file
  ScanResult scan;
  AppendStructure(scan, "TOP");
  AppendStructure(scan, "A");
  scan.TopStructure = "TOP";
  JobFileRead read = ReadJob("[Korvex Job]\nInputFile=/d/chip.gds\nDatatypeList=5\nTopStructure=A\n");
  ASSERT_TRUE(read.ok);
  EXPECT_EQ(ApplyJob(read.job, settings, scan), "");
  EXPECT_EQ(settings.LayerList, "1,2,10");
  EXPECT_EQ(settings.DatatypeList, "5");
  EXPECT_EQ(settings.LayerMap, "") << "no map in the job means no map";
  EXPECT_EQ(settings.RulesInputFile, "/d/chip.gds");
  EXPECT_EQ(scan.TopStructure, "A");

  read.job.topStructure = "MISSING";
  EXPECT_EQ(ApplyJob(read.job, settings, scan), "The top structure MISSING of the job is not in /d/chip.gds.");
  EXPECT_EQ(scan.TopStructure, "A");
}

}  // namespace
}  // namespace korvex
