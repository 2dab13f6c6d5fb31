#include "ui/dialogs/dialog_commands.h"

#include <QPointer>

#include "core/options/scan_lists.h"
#include "ui/dialogs/mapping_dialog.h"
#include "ui/dialogs/options_dlg_sheet.h"
#include "ui/dialogs/polygon_filtering_dialog.h"
#include "ui/dialogs/structure_mapping_dialog.h"
#include "ui/dialogs/structure_selection_dialog.h"
#include "ui/help_topics.h"
#include "ui/help_window.h"

namespace korvex {
namespace {

// The one selection window; null while none is open.
QPointer<StructureSelectionDialog>& SelectionWindow() {
  static QPointer<StructureSelectionDialog> window;
  return window;
}

}  // namespace

bool RunConfigurationSheet(QWidget* parent, JobSettings& settings, const ScanResult& scan, UserPrompts& prompts) {
  COptionsDlgSheet sheet(settings, scan, prompts, parent);
  sheet.exec();
  return sheet.SettingsWritten();
}

bool RunMappingDialog(QWidget* parent, MappingKind kind, JobSettings& settings, const ScanResult& scan,
                      UserPrompts& prompts) {
  const std::vector<std::string> scanned = kind == MappingKind::kLayers ? ScannedLayers(scan) : ScannedDatatypes(scan);
  MappingDialog dialog(kind, settings, scanned, prompts, parent);
  return dialog.exec() == QDialog::Accepted;
}

bool RunPolygonFilteringDialog(QWidget* parent, JobSettings& settings, UserPrompts& prompts) {
  PolygonFilteringDialog dialog(settings, prompts, parent);
  QObject::connect(&dialog, &PolygonFilteringDialog::HelpRequested,
                   [] { HelpWindow().ShowPlace({kPolygonFilteringHelpPage, {}}); });
  return dialog.exec() == QDialog::Accepted;
}

bool RunStructureMappingDialog(QWidget* parent, const JobSettings& settings, const ScanResult& scan,
                               UserPrompts& prompts) {
  StructureMappingDialog dialog(settings, ScannedStructures(scan), prompts, parent);
  QObject::connect(&dialog, &StructureMappingDialog::HelpRequested,
                   [] { ShowContextHelp(kHelpContextStructureMapping); });
  return dialog.exec() == QDialog::Accepted;
}

void ShowStructureSelection(QWidget* mainWindow, ScanResult& scan, const JobSettings& settings,
                            UserPrompts& prompts, const std::function<void(const std::string&)>& status) {
  QPointer<StructureSelectionDialog>& window = SelectionWindow();
  // A closed window is hidden at once and deleted a little later.
  if (window && window->isVisible()) {
    window->SetDirectories(settings.WorkingDirectory, settings.ProgramDirectory);
    window->raise();
    window->activateWindow();
    return;
  }
  window = new StructureSelectionDialog(scan, prompts, mainWindow);
  window->SetDirectories(settings.WorkingDirectory, settings.ProgramDirectory);
  window->SetStatusSink(status);
  window->show();
}

void CloseStructureWindows() {
  QPointer<StructureSelectionDialog>& window = SelectionWindow();
  if (window && window->isVisible()) window->CloseWindows();
}

bool StructureSelectionOpen() {
  const QPointer<StructureSelectionDialog>& window = SelectionWindow();
  return window && window->isVisible();
}

}  // namespace korvex
