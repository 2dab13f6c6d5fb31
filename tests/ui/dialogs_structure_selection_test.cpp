#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "core/inspect/scan_report.h"
#include "dialogs_fixture.h"
#include "ui/dialogs/dialog_commands.h"
#include "ui/dialogs/structure_dependencies_dialog.h"
#include "ui/dialogs/structure_information_dialog.h"
#include "ui/dialogs/structure_selection_dialog.h"

namespace korvex {
namespace {

using testing::Lines;

// TOP holds mid and B; mid holds leaf. "zeta" stands alone.
const std::string kReport = Lines({
    "STRUCTURE_LIST", "1) zeta", "2) TOP", "3) mid", "4) leaf", "5) B", "",
    "STRUCTURE_ELEMENT_COUNTS", "name (Boundary, Path, ARef, SRef, Text)",
    "zeta (0, 0, 0, 0, 0)", "TOP (1, 0, 0, 2, 0)", "mid (3, 4, 5, 6, 7)", "leaf (1, 0, 0, 0, 0)", "B (0, 0, 0, 0, 1)", "",
    "STRUCTURE EXTENTS", "Resolution: 1000", "User Units: UM", "name (MinX, MinY, MaxX, MaxY)",
    "zeta (0, 0, 1, 1)", "TOP (0, 0, 10, 10)", "mid (-1.5, 0, 2, 2.25)", "leaf (0, 0, 1, 1)", "B (0, 0, 1, 1)", "",
    "HIERARCHY of INDEPENDENT STRUCTURES", "",
    "TOP", "  |", "  |__ mid", "  |    |", "  |    |__ leaf", "  |", "  |__ B", "",
    "zeta",
});

class StructureSelectionTest : public testing::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    ReadScanReport(scan, Write("chip.ssn", kReport));
    scan.ReportFile = PathOf("chip.ssn");
    scan.ScannedFile = "/data/chip.gds";
    std::filesystem::create_directory(m_dir / "prog");
    settings.WorkingDirectory = m_dir.string();
    settings.ProgramDirectory = (m_dir / "prog").string();
  }
  void TearDown() override {
    CloseStructureWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    DialogTest::TearDown();
  }

  std::unique_ptr<StructureSelectionDialog> Open() {
    auto dialog = std::make_unique<StructureSelectionDialog>(scan, prompts);
    dialog->SetDirectories(settings.WorkingDirectory, settings.ProgramDirectory);
    dialog->show();
    return dialog;
  }
  std::vector<std::string> Marked() const {
    std::vector<std::string> names;
    for (std::int32_t i = 0; i < scan.StructureCount; ++i) {
      if (scan.TreeMarks[static_cast<std::size_t>(i)]) names.push_back(scan.StructureNames[static_cast<std::size_t>(i)]);
    }
    return names;
  }
  static void Retype(QLineEdit* field, const char* text) {
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
  }

  JobSettings settings;
  ScanResult scan;
};

TEST_F(StructureSelectionTest, ListIsSortedAndShowsTheTopStructure) {
  auto dialog = Open();
  QListWidget* list = dialog->List();
  ASSERT_EQ(list->count(), 5);
  EXPECT_EQ(list->item(0)->text(), "B");
  EXPECT_EQ(list->item(1)->text(), "leaf");
  EXPECT_EQ(list->item(4)->text(), "zeta");
  EXPECT_EQ(dialog->Field()->text(), "TOP");
  EXPECT_EQ(list->currentItem()->text(), "TOP");
  EXPECT_EQ(Marked(), (std::vector<std::string>{"TOP", "mid", "leaf", "B"}));
}

TEST_F(StructureSelectionTest, TypedTextIsTakenOnlyWhenItNamesAStructure) {
  auto dialog = Open();
  Retype(dialog->Field(), "mid");
  EXPECT_EQ(dialog->SelectedStructure(), "mid");
  EXPECT_EQ(dialog->List()->currentItem()->text(), "mid");
  EXPECT_EQ(Marked(), (std::vector<std::string>{"mid", "leaf"}));

  Retype(dialog->Field(), "MID");  // names are matched with their case
  Retype(dialog->Field(), "nothing");
  EXPECT_EQ(dialog->SelectedStructure(), "mid");
  dialog->accept();
  EXPECT_EQ(scan.TopStructure, "mid");
  EXPECT_FALSE(dialog->isVisible());
}

TEST_F(StructureSelectionTest, PickingUpdatesTheFieldAndTheOpenWindowsAndCancelRestores) {
  auto dialog = Open();
  dialog->InfoButton()->click();
  dialog->DependenceButton()->click();
  StructureInformationDialog* info = dialog->Information();
  StructureDependenciesDialog* tree = dialog->Dependencies();
  ASSERT_NE(info, nullptr);
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(info->BoundaryField()->text(), "1");

  dialog->List()->setCurrentRow(2);  // mid
  EXPECT_EQ(dialog->Field()->text(), "mid");
  EXPECT_EQ(info->MinField()->text(), "(-1.500 , 0.000)");
  EXPECT_EQ(info->MaxField()->text(), "(2.000 , 2.250)");
  EXPECT_EQ(info->TextField()->text(), "7");
  EXPECT_EQ(info->SRefField()->text(), "6");
  EXPECT_EQ(tree->Text()->toPlainText(), "mid\n |\n |__ leaf\n");
  EXPECT_EQ(Marked(), (std::vector<std::string>{"mid", "leaf"}));

  // Info... creates its window once; "Close" only hides it.
  info->close();
  dialog->InfoButton()->click();
  EXPECT_EQ(dialog->Information(), info);

  QTest::keyClick(dialog.get(), Qt::Key_Escape);
  EXPECT_EQ(scan.TopStructure, "TOP");
  EXPECT_EQ(Marked(), (std::vector<std::string>{"TOP", "mid", "leaf", "B"}));
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->Information(), nullptr);
}

TEST_F(StructureSelectionTest, ReportWritesTheSelectedTreeAndOpensItWithoutChangingTheTop) {
  Write("prog/gdsstrct.s_s", Lines({"#3:Top structure: %s", "#4:%d structures", "#8:%d %s", "#10:", "#20:never"}));
  auto dialog = Open();
  std::vector<std::string> status;
  dialog->SetStatusSink([&](const std::string& text) { status.push_back(text); });
  Retype(dialog->Field(), "mid");
  dialog->ReportButton()->click();
  EXPECT_EQ(Read("gdsstrct.rpt"), "Top structure: mid\r\n2 structures\r\n1 mid\r\n\r\n2 leaf\r\n\r\n");
  ASSERT_EQ(prompts.started.size(), 1u);
  EXPECT_EQ(prompts.started[0].back(), PathOf("gdsstrct.rpt"));
  EXPECT_EQ(status, std::vector<std::string>{"Structure report written to " + PathOf("gdsstrct.rpt")});
  EXPECT_EQ(scan.TopStructure, "TOP");
  EXPECT_TRUE(dialog->isVisible());

  // No editor to show it: the status still says where the report is, and that none started.
  prompts.startDetachedAnswer = false;
  dialog->ReportButton()->click();
  ASSERT_EQ(status.size(), 2u);
  EXPECT_EQ(status[1], "Structure report written to " + PathOf("gdsstrct.rpt") + "; no editor could be started to show it");

  // A report that cannot be written: the user is told instead of shown nothing.
  std::filesystem::remove(PathOf("gdsstrct.rpt"));
  std::filesystem::create_directory(PathOf("gdsstrct.rpt"));
  dialog->ReportButton()->click();
  ASSERT_FALSE(prompts.messages.empty());
  EXPECT_EQ(prompts.messages.back().text, "The structure report " + PathOf("gdsstrct.rpt") + " cannot be written.");
  EXPECT_EQ(status.size(), 2u);
}

TEST_F(StructureSelectionTest, MissingReportKeepsTheWindowOpen) {
  auto dialog = Open();
  Retype(dialog->Field(), "B");
  std::filesystem::remove(PathOf("chip.ssn"));
  dialog->accept();
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_NE(prompts.messages[0].text.find("chip.ssn"), std::string::npos);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(scan.TopStructure, "TOP");
}

TEST_F(StructureSelectionTest, OneWindowAtATimeClosedByANewScan) {
  QWidget main;
  ShowStructureSelection(&main, scan, settings, prompts);
  ASSERT_TRUE(StructureSelectionOpen());
  auto* window = main.findChild<StructureSelectionDialog*>();
  ASSERT_NE(window, nullptr);
  window->List()->setCurrentRow(0);  // B
  ShowStructureSelection(&main, scan, settings, prompts);
  EXPECT_EQ(main.findChildren<StructureSelectionDialog*>().size(), 1);
  EXPECT_EQ(window->SelectedStructure(), "B");

  CloseStructureWindows();
  EXPECT_FALSE(StructureSelectionOpen());
  // The marks stay with the last pick: the next scan marks afresh.
  EXPECT_EQ(Marked(), (std::vector<std::string>{"B"}));
  EXPECT_EQ(scan.TopStructure, "TOP");
  ShowStructureSelection(&main, scan, settings, prompts);
  EXPECT_TRUE(StructureSelectionOpen());
}

}  // namespace
}  // namespace korvex
