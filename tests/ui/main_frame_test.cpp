#include <gtest/gtest.h>

#include <filesystem>

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QUrl>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QTextCursor>
#include <QTest>
#include <QToolBar>

#include "ui/control_panel.h"
#include "ui/help_topics.h"
#include "ui/help_window.h"
#include "ui/frame_fixture.h"
#include "ui/pentra_view.h"

namespace korvex::test {
namespace {

std::vector<std::string> MenuTexts(const QMenu* menu) {
  std::vector<std::string> texts;
  for (const QAction* action : menu->actions()) {
    if (!action->isSeparator() && action->isVisible()) texts.push_back(action->text().toStdString());
  }
  return texts;
}

TEST_F(FrameTest, StartsFromStoredPreferences) {
  StoreSettings("ControlDialog=0\nStatusbar=0\nMergeMode=2\nToolbar=1\n");
  MakeFrame();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frame_.get()));
  QTest::qWait(50);  // the panel would be shown by now
  EXPECT_FALSE(frame_->ControlPanel()->isVisible());
  EXPECT_FALSE(frame_->Action(Command::ControlDialog)->isChecked());
  EXPECT_FALSE(frame_->statusBar()->isVisible());
  EXPECT_FALSE(frame_->ToolBar()->isVisible());
  EXPECT_EQ(MenuTexts(frame_->PreferencesMenu()),
            (std::vector<std::string>{"&Status Bar", "&Control Dialog", "&Working Directory...",
                                      "&GDS Viewer Directory..."}));
  EXPECT_EQ(frame_->ControlPanel()->Button(PanelButton::kTranslate)->text(), "Add");
  EXPECT_EQ(frame_->Action(Command::Translate)->text(), "&Add");
  EXPECT_EQ(frame_->windowTitle(), "KORVEX");
  EXPECT_FALSE(frame_->Action(Command::SaveLogAs)->isEnabled());

  frame_->Action(Command::ControlDialog)->trigger();
  EXPECT_TRUE(frame_->ControlPanel()->isVisible());
  EXPECT_EQ(settings_.ControlDialog, 1);
  // The panel's close box hides it through the same toggle.
  frame_->ControlPanel()->close();
  EXPECT_FALSE(frame_->ControlPanel()->isVisible());
  EXPECT_FALSE(frame_->Action(Command::ControlDialog)->isChecked());
  frame_->Action(Command::ControlDialog)->trigger();
  frame_->close();
  EXPECT_NE(StoredSettings().find("ControlDialog=1\n"), std::string::npos);
  EXPECT_NE(StoredSettings().find("Toolbar=0\n"), std::string::npos);
}

TEST_F(FrameTest, SelectScanShowsReportReadOnly) {
  MakeFrame();
  EXPECT_EQ(frame_->TopStructureIndicator()->text(), "");
  settings_.WorkingDirectory = workDir_;
  const std::string input = MakeInput("chip.gds");
  ASSERT_TRUE(SelectAndScan(input));
  ASSERT_FALSE(scan_.TopStructure.empty());
  EXPECT_EQ(frame_->TopStructureIndicator()->text().toStdString(), "Top: " + scan_.TopStructure);
  ASSERT_EQ(prompts_.fileQuestions.size(), 1u);
  EXPECT_EQ(prompts_.fileQuestions[0].title, "Select GDS File");
  EXPECT_EQ(prompts_.fileQuestions[0].filter, "GDS Files (*.gds;*.gds.gz;*.gdsii;*.str)|*.gds;*.gds.gz;*.gdsii;*.str|All Files (*.*)|*.*||");
  EXPECT_TRUE(prompts_.fileQuestions[0].mustExist);

  EXPECT_EQ(ViewText(), kScanReport);
  EXPECT_TRUE(frame_->View()->isReadOnly());
  EXPECT_EQ(settings_.LogShown, 1);
  EXPECT_TRUE(frame_->Action(Command::SaveLogAs)->isEnabled());
  EXPECT_TRUE(frame_->Action(Command::PrintLog)->isEnabled());
  EXPECT_TRUE(frame_->windowTitle().contains("chip.gds")) << frame_->windowTitle().toStdString();
  EXPECT_EQ(frame_->StatusText(), "Finished Scanning GDS File");
  EXPECT_EQ(settings_.LayerList, "1,2,10");
  EXPECT_EQ(frame_->RecentFiles().Files(), std::vector<std::string>{input});
  const CControlPanel* panel = frame_->ControlPanel();
  for (PanelButton b : {PanelButton::kStructure, PanelButton::kConfiguration, PanelButton::kLayerMapping,
                        PanelButton::kPolygonFiltering, PanelButton::kTranslate, PanelButton::kViewGdsInput}) {
    EXPECT_TRUE(panel->Button(b)->isEnabled()) << panel->Button(b)->text().toStdString();
  }
  EXPECT_FALSE(panel->Button(PanelButton::kViewGdsOutput)->isEnabled());
}

TEST_F(FrameTest, WorkingDirButtonSetsDirectoryBeforeTheScan) {
  MakeFrame();
  prompts_.pressWorkingDir = true;
  prompts_.directoryAnswer = workDir_;
  ASSERT_TRUE(SelectAndScan(MakeInput("chip.gds")));
  EXPECT_EQ(settings_.WorkingDirectory, workDir_);
  EXPECT_EQ(scan_.ReportFile, workDir_ + "/chip.ssn");
}

TEST_F(FrameTest, FailedScanLeavesEverythingAsItWas) {
  MakeFrame();
  settings_.WorkingDirectory = workDir_;
  const std::string first = MakeInput("first.gds");
  ASSERT_TRUE(SelectAndScan(first));
  const QString title = frame_->windowTitle();
  const PanelEnabling panel = frame_->PanelState();

  SetFake("KORVEX_FAKE_EXIT", "3");
  SetFake("KORVEX_FAKE_WRITE_TEXT", "STRUCTURE_LIST\n1) OTHER\n\n");
  const std::string second = MakeInput("second.gds");
  EXPECT_FALSE(SelectAndScan(second));
  EXPECT_EQ(LastMessage(), "Error occurred in scanning file " + second + ".");
  EXPECT_EQ(frame_->StatusText(), "Failed Scanning GDS File");
  EXPECT_EQ(settings_.InputFile, first);
  EXPECT_EQ(frame_->windowTitle(), title);
  EXPECT_EQ(ViewText(), kScanReport);
  EXPECT_EQ(frame_->PanelState(), panel);
  EXPECT_EQ(scan_.StructureNames[0], "TOP");
  EXPECT_EQ(frame_->RecentFiles().Files(), std::vector<std::string>{first});
}

TEST_F(FrameTest, SaveLogAsProposesCurrentLogAndWritesTheBytes) {
  MakeFrame();
  settings_.WorkingDirectory = workDir_;
  ASSERT_TRUE(SelectAndScan(MakeInput("chip.gds")));
  settings_.CurrentLog = workDir_ + "/earlier.log";
  const std::string target = workDir_ + "/saved";
  prompts_.fileAnswers.push_back(target);
  frame_->Action(Command::SaveLogAs)->trigger();
  const FileQuestion& question = prompts_.fileQuestions.back();
  EXPECT_EQ(question.initialPath, workDir_ + "/earlier.log");
  EXPECT_EQ(question.filter, "LOG Files (*.log)|*.log|All Files (*.*)|*.*||");
  EXPECT_EQ(question.defaultExtension, "log");
  EXPECT_TRUE(question.save);
  EXPECT_TRUE(question.confirmOverwrite);
  EXPECT_EQ(settings_.CurrentLog, target + ".log");
  EXPECT_EQ(ReadFile(target + ".log"), kScanReport);
  EXPECT_EQ(frame_->windowTitle(), "KORVEX");
}

// Reports of large layouts (megabytes) are shown in the window; only files beyond 64 MB go to
// the editor, and when none starts the window shows their start read-only and says so.
TEST_F(FrameTest, LargeLogsInTheViewLongerOnesToTheEditorOrTheirStartShown) {
  MakeFrame();
  std::string line(99, 'r');
  line += '\n';
  std::string block;
  for (int i = 0; i < 1024; ++i) block += line;  // 100 KB
  const std::string log = dataDir_ + "/long.log";
  std::string longer;
  for (int i = 0; i < 672; ++i) longer += block;  // 67.2 MB, beyond 64 MiB
  WriteFile(log, longer);
  EXPECT_FALSE(frame_->OpenFile(QString::fromStdString(log)));
  ASSERT_EQ(prompts_.started.size(), 1u);
  EXPECT_EQ(prompts_.started[0].back(), log);
  EXPECT_EQ(settings_.LogShown, 0);
  EXPECT_FALSE(frame_->Action(Command::SaveLogAs)->isEnabled());
  EXPECT_FALSE(frame_->Action(Command::PrintLog)->isEnabled());
  EXPECT_TRUE(ViewText().empty());

  const std::string report = dataDir_ + "/large.log";
  WriteFile(report, longer.substr(0, 20000 * line.size()));  // 2 MB: the window shows it itself
  EXPECT_TRUE(frame_->OpenFile(QString::fromStdString(report)));
  EXPECT_EQ(prompts_.started.size(), 1u);
  EXPECT_EQ(frame_->View()->document()->blockCount(), 20001);
  EXPECT_TRUE(frame_->Action(Command::SaveLogAs)->isEnabled());

  prompts_.startDetachedAnswer = false;
  EXPECT_TRUE(frame_->OpenFile(QString::fromStdString(log)));
  ASSERT_FALSE(prompts_.messages.empty());
  EXPECT_NE(prompts_.messages.back().text.find("Its first 64 MB are shown, read-only."), std::string::npos);
  EXPECT_TRUE(frame_->View()->isReadOnly());
  EXPECT_FALSE(frame_->Action(Command::SaveLogAs)->isEnabled());  // a part saved over the whole loses the rest
  EXPECT_TRUE(frame_->Action(Command::PrintLog)->isEnabled());
  EXPECT_EQ(frame_->View()->document()->characterCount(), (64 << 20) + 1);
}

TEST_F(FrameTest, LogOpensEditableAndEditsAreNotLostSilently) {
  MakeFrame();
  const std::string log = dataDir_ + "/run.LOG";
  WriteFile(log, "line one\r\nline two\r\n");
  ASSERT_TRUE(frame_->OpenFile(QString::fromStdString(log)));
  EXPECT_FALSE(frame_->View()->isReadOnly());
  EXPECT_TRUE(prompts_.fileQuestions.empty());  // shown, not scanned
  QTextCursor end = frame_->View()->textCursor();
  end.movePosition(QTextCursor::End);
  end.insertText("my note\n");

  const std::string other = dataDir_ + "/other.log";
  WriteFile(other, "other\n");
  prompts_.saveAnswer = SaveAnswer::Cancel;
  EXPECT_FALSE(frame_->OpenFile(QString::fromStdString(other)));
  EXPECT_EQ(prompts_.saveQuestions.size(), 1u);
  EXPECT_NE(ViewText().find("my note"), std::string::npos);

  prompts_.saveAnswer = SaveAnswer::Save;
  EXPECT_TRUE(frame_->OpenFile(QString::fromStdString(other)));
  EXPECT_EQ(ReadFile(log), "line one\r\nline two\r\nmy note\r\n");
  EXPECT_EQ(ViewText(), "other\n");
}

TEST_F(FrameTest, WorkingDirectoryMovesTheJobFileOnlyToAnotherFolder) {
  const std::string lower = MakeDirectory("a");
  const std::string upper = MakeDirectory("A");
  MakeFrame();
  settings_.WorkingDirectory = lower;
  settings_.InputFile = dataDir_ + "/chip.gds";
  WriteFile(lower + "/chip.job", "job");

  prompts_.directoryAnswer = lower;
  frame_->Action(Command::WorkingDirectory)->trigger();
  EXPECT_EQ(prompts_.directoryQuestions.back(), lower);
  EXPECT_EQ(ReadFile(lower + "/chip.job"), "job");

  prompts_.directoryAnswer = upper;
  frame_->Action(Command::WorkingDirectory)->trigger();
  EXPECT_EQ(settings_.WorkingDirectory, upper);
  EXPECT_EQ(ReadFile(upper + "/chip.job"), "job");
  EXPECT_FALSE(std::filesystem::exists(lower + "/chip.job"));
}

TEST_F(FrameTest, WebPageFailureIsExplained) {
  MakeFrame();
  prompts_.webPageOpens = false;
  frame_->Action(Command::WebPage)->trigger();
  ASSERT_EQ(prompts_.webPages.size(), 1u);
  EXPECT_NE(prompts_.webPages[0].find("/gdsii/korvex/korvex.htm"), std::string::npos);
  EXPECT_EQ(LastMessage(), "Error occurred in launching web browser to go to\n" + prompts_.webPages[0] +
                               ".\nYou can run web browser manually and go to the above address.");
}

TEST_F(FrameTest, FindAndFindNextSearchTheView) {
  MakeFrame();
  const std::string log = dataDir_ + "/find.log";
  WriteFile(log, "Alpha beta\nalpha gamma\n");
  ASSERT_TRUE(frame_->OpenFile(QString::fromStdString(log)));
  frame_->Action(Command::FindNext)->trigger();  // nothing searched yet: the dialog opens
  EXPECT_TRUE(frame_->FindDialog()->isVisible());
  emit frame_->FindDialog()->FindNext({"alpha", true, true});
  EXPECT_EQ(frame_->View()->textCursor().selectionStart(), 11);
  frame_->Action(Command::FindNext)->trigger();
  EXPECT_EQ(LastMessage(), "Cannot find the string 'alpha'.");
}

TEST_F(FrameTest, PrintLogPrintsTheViewOnTheChosenPrinter) {
  MakeFrame();
  const std::string log = dataDir_ + "/print.log";
  WriteFile(log, "GDS Output File:\tout.gds\r\n");
  ASSERT_TRUE(frame_->OpenFile(QString::fromStdString(log)));
  const std::string pdf = root_ + "/log.pdf";
  prompts_.onPrinter = [&](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
  };
  frame_->Action(Command::PrintLog)->trigger();
  EXPECT_EQ(ReadFile(pdf).substr(0, 4), "%PDF");
  frame_->Action(Command::PrintSetup)->trigger();
  EXPECT_EQ(prompts_.pageSetups, 1);
}

TEST_F(FrameTest, DroppedFilesAndRecentEntriesTakeTheOpenFileRoad) {
  MakeFrame();
  settings_.WorkingDirectory = workDir_;
  const std::string input = MakeInput("dropped.gds");
  EXPECT_FALSE(frame_->View()->acceptDrops());  // a drop on the log reaches the window
  EXPECT_TRUE(frame_->acceptDrops());
  frame_->OpenDroppedFiles({QUrl::fromLocalFile(QString::fromStdString(input)), QUrl("https://x.example/a.gds")});
  EXPECT_EQ(settings_.InputFile, input);
  EXPECT_EQ(ViewText(), kScanReport);

  const std::string log = dataDir_ + "/old run.log";
  WriteFile(log, "old run\n");
  ASSERT_TRUE(frame_->OpenFile(QString::fromStdString(log)));
  QAction* entry = nullptr;
  for (QAction* action : frame_->findChildren<QAction*>()) {
    if (action->text() == "&1 " + QString::fromStdString(input)) entry = action;
  }
  ASSERT_NE(entry, nullptr);
  entry->trigger();
  EXPECT_EQ(ViewText(), kScanReport);
  EXPECT_TRUE(frame_->View()->isReadOnly());
}

TEST_F(FrameTest, ExitClosesTheHelpWindowToo) {
  MakeFrame();
  frame_->Action(Command::RunningKorvex)->trigger();
  ASSERT_TRUE(HelpWindow().isVisible());
  frame_->Action(Command::Exit)->trigger();
  EXPECT_FALSE(frame_->isVisible());
  EXPECT_FALSE(HelpWindow().isVisible());
}

TEST(HelpPages, EveryContextTopicExistsInTheProgramsHelp) {
  LoadHelpPages();
  QFile page(":/help/korvex.html");
  ASSERT_TRUE(page.open(QIODevice::ReadOnly));
  const QByteArray html = page.readAll();
  for (std::uint32_t context : {kHelpContextStructureSelection, kHelpContextMapping, kHelpContextConfiguration,
                                kHelpContextStructureMapping}) {
    const HelpPlace place = HelpPlaceForContext(context);
    EXPECT_TRUE(html.contains(QByteArray("id=\"") + place.anchor.c_str() + "\"")) << place.anchor;
  }
  EXPECT_TRUE(html.contains(QByteArray("id=\"") + UsingHelpPlace().anchor.c_str() + "\""));
  for (const char* other : {":/help/installation.html", ":/help/polygon-filtering.html"}) {
    EXPECT_TRUE(QFile::exists(other)) << other;
  }
}

}  // namespace
}  // namespace korvex::test
