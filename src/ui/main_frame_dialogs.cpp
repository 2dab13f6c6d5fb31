// The option dialogs and structure windows, opened from the menu and the control panel.
#include "ui/dialogs/dialog_commands.h"
#include "ui/main_frame.h"

namespace korvex {

void CMainFrame::RunStructureDialog() {
  korvex::ShowStructureSelection(this, m_scan, m_settings, m_prompts,
                                 [this](const std::string& text) { SetStatusText(text); });
}

bool CMainFrame::RunConfigurationSheet() { return korvex::RunConfigurationSheet(this, m_settings, m_scan, m_prompts); }

// A confirmed map was made for the input open now; the job preview warns when it meets another.
void CMainFrame::RunLayerMappingDialog() {
  if (korvex::RunMappingDialog(this, MappingKind::kLayers, m_settings, m_scan, m_prompts)) {
    m_settings.RulesInputFile = m_settings.InputFile;
  }
}

void CMainFrame::RunTypeMappingDialog() {
  if (korvex::RunMappingDialog(this, MappingKind::kDatatypes, m_settings, m_scan, m_prompts)) {
    m_settings.RulesInputFile = m_settings.InputFile;
  }
}

void CMainFrame::RunStructureMappingDialog() {
  if (korvex::RunStructureMappingDialog(this, m_settings, m_scan, m_prompts)) {
    m_settings.RulesInputFile = m_settings.InputFile;
  }
}

void CMainFrame::RunPolygonFilteringDialog() { korvex::RunPolygonFilteringDialog(this, m_settings, m_prompts); }

void CMainFrame::CloseStructureDialogs() { korvex::CloseStructureWindows(); }

}  // namespace korvex
