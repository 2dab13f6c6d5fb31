#pragma once

#include <functional>
#include <string>

#include "core/inspect/scan_result.h"
#include "core/job/job_settings.h"
#include "core/options/mapping_table.h"

class QWidget;

namespace korvex {

class UserPrompts;

// The main window's commands that open the option and structure windows. Each takes the
// program's settings and scan record, which must outlive the windows it opens, and the
// prompts through which the windows show messages and start programs.

// Configuration: the modal "Configuration" sheet. True when its OK wrote the settings
// (even if korvex.lst could then not be written and the user cancelled afterwards); the
// caller then sets the Translate captions and the panel's enabling from MergeMode.
bool RunConfigurationSheet(QWidget* parent, JobSettings& settings, const ScanResult& scan, UserPrompts& prompts);

// Layer Mapping and Type Mapping: the modal "Mapping" dialog. True when OK stored the new
// LayerMap or DatatypeMap.
bool RunMappingDialog(QWidget* parent, MappingKind kind, JobSettings& settings, const ScanResult& scan,
                      UserPrompts& prompts);

// Polygon Filtering: the modal "Polygon Filtering" dialog; its help button shows the
// polygon-filtering help page. True when OK stored the limits.
bool RunPolygonFilteringDialog(QWidget* parent, JobSettings& settings, UserPrompts& prompts);

// Structure Mapping: the modal "Structures Mapping" dialog; its help button shows the
// program's help for it. True when OK wrote (or deleted) korvex.smp.
bool RunStructureMappingDialog(QWidget* parent, const JobSettings& settings, const ScanResult& scan,
                               UserPrompts& prompts);

// Structure: shows the modeless "Structure Selection" window, centred over the main window,
// unless it is open already. Its report goes to the working directory, from the template in
// the program directory; both are taken anew on every call. `status` gets what the window has
// to say in the status bar (where its report went).
void ShowStructureSelection(QWidget* mainWindow, ScanResult& scan, const JobSettings& settings,
                            UserPrompts& prompts, const std::function<void(const std::string&)>& status = {});

// A new scan and the closing of the main window: destroys the selection window and its
// Information and Dependencies windows, if open. The top structure and tree marks stay.
void CloseStructureWindows();

// Whether the selection window is open (for the main window's tests).
bool StructureSelectionOpen();

}  // namespace korvex
