// The real programs on a generated layout: korvex started on its command line, and the
// whole road of select, scan, translate through the main window.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QThread>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/support/launcher.h"
#include "ui/control_panel.h"
#include "ui/fake_prompts.h"
#include "ui/main_frame.h"
#include "ui/pentra_view.h"

namespace korvex {
namespace {
namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"korvex", "quarn.exe", "korvexe.exe", "gdsgen"}) {
      if (!fs::exists(bin_ / name)) {
        GTEST_SKIP() << (bin_ / name).string() << " is not built yet; the end-to-end road needs the real programs";
      }
    }
    root_ = fs::temp_directory_path() / ("korvex-e2e-" + std::to_string(::getpid()));
    fs::create_directories(root_ / "config");
    fs::create_directories(root_ / "work");
    const char* config = std::getenv("XDG_CONFIG_HOME");
    savedConfig_ = config != nullptr ? config : "";
    ::setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    input_ = (root_ / "example.gds").string();
    Launcher launcher;
    LaunchRequest request;
    request.program = (bin_ / "gdsgen").string();
    request.argumentText = "--seed 1 --size 200k -o \"" + input_ + "\"";
    const LaunchResult made = launcher.Launch(request);
    ASSERT_EQ(made.code, kLaunchStarted);
    ASSERT_EQ(made.exitCode, 0);
    ASSERT_TRUE(fs::exists(input_));
  }
  void TearDown() override {
    if (root_.empty()) return;
    ::setenv("XDG_CONFIG_HOME", savedConfig_.c_str(), 1);
    fs::remove_all(root_);
  }

  const fs::path bin_ = KORVEX_BIN_DIR;
  fs::path root_;
  std::string input_;
  std::string savedConfig_;
};

TEST_F(EndToEnd, KorvexScansTheLayoutNamedOnItsCommandLine) {
  QProcess korvex;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  environment.insert("XDG_CONFIG_HOME", QString::fromStdString((root_ / "config").string()));
  korvex.setProcessEnvironment(environment);
  korvex.start(QString::fromStdString((bin_ / "korvex").string()), {QString::fromStdString(input_)});
  ASSERT_TRUE(korvex.waitForStarted(10000));
  // With no stored working directory the report goes beside the input.
  const fs::path report = root_ / "example.ssn";
  for (int i = 0; i < 600 && !fs::exists(report); ++i) QThread::msleep(100);
  korvex.terminate();
  korvex.waitForFinished(10000);
  ASSERT_TRUE(fs::exists(report)) << "korvex wrote no scan report";
  const std::string text = ReadAll(report);
  EXPECT_NE(text.find("STRUCTURE_LIST"), std::string::npos);
  EXPECT_NE(text.find("LAYERS_CONTAINING_DATA"), std::string::npos);
}

TEST_F(EndToEnd, SelectScanAndTranslateWithTheRealScannerAndEngine) {
  JobSettings settings;
  ScanResult scan;
  test::FakePrompts prompts;
  CMainFrame frame(settings, scan, prompts);
  settings.ProgramDirectory = bin_.string();
  settings.WorkingDirectory = (root_ / "work").string();
  frame.show();

  prompts.fileAnswers.push_back(input_);
  frame.OnSelectGdsFile();
  ASSERT_EQ(frame.StatusText().left(26), "Finished Scanning GDS File") << frame.StatusText().toStdString();
  EXPECT_TRUE(frame.View()->isReadOnly());
  EXPECT_FALSE(scan.TopStructure.empty());
  EXPECT_FALSE(settings.LayerList.empty());

  const std::string output = (root_ / "work" / "example_out.gds").string();
  prompts.fileAnswers.push_back(output);
  frame.OnTranslate();
  EXPECT_EQ(prompts.fileQuestions.back().initialPath, output);
  EXPECT_EQ(frame.StatusText(), "Translation finished");
  ASSERT_TRUE(fs::exists(output));
  EXPECT_EQ(ReadAll(output).substr(0, 4), std::string("\x00\x06\x00\x02", 4));  // a HEADER record
  const std::string log = frame.View()->toPlainText().toStdString();
  EXPECT_NE(log.find("GDS Output File:\t" + output), std::string::npos) << log;
  EXPECT_EQ(settings.CurrentLog, (root_ / "work" / "example.log").string());
  EXPECT_TRUE(frame.ControlPanel()->Button(PanelButton::kViewGdsOutput)->isEnabled());
  frame.close();
  EXPECT_FALSE(fs::exists(scan.ReportFile));  // only kept while the program runs
}

}  // namespace
}  // namespace korvex
