#include "ui/command_texts.h"

namespace korvex {

const std::vector<CommandText>& CommandTexts() {
  // The label of Select GDS File names Ctrl+O, the key that really selects a file; Ctrl+G
  // belongs to View GDS Input. Keys that a label names also work (Ctrl+S, Ctrl+Z, Ctrl+X).
  static const std::vector<CommandText> table = {
      {Command::SelectGdsFile, "Select &GDS File...\tCtrl+O", "Select GDS file for translation\nSelect GDS",
       {"Ctrl+O"}},
      {Command::OpenJob, "Open &Job...", "Open a job file: scan its input and set up the whole job\nOpen Job", {}},
      {Command::SaveJobAs, "Save Job &As...", "Save the job as a file that can be opened or run again\nSave Job",
       {}},
      {Command::SaveLogAs, "&Save Log As...\tCtrl+S", "Save the log file shown on the edit area with a new name",
       {"Ctrl+S"}},
      {Command::PrintLog, "&Print Log...\tCtrl+P", "Print the log file", {"Ctrl+P"}},
      {Command::PrintSetup, "P&rint Setup...", "Change the printer and printing options\nPrint Setup", {}},
      {Command::Toolbar, "&Toolbar", "Show or hide the toolbar\nToggle ToolBar", {}},
      {Command::StatusBar, "&Status Bar", "Show or hide the status bar\nToggle StatusBar", {}},
      {Command::ControlDialog, "&Control Dialog", "Show or hide the control dialog\nToggle Control Dialog", {}},
      {Command::WorkingDirectory, "&Working Directory...", "Set the directory where temporary files are generated",
       {}},
      {Command::GdsViewerDirectory, "&GDS Viewer Directory...", "Set the Directory of Viewer Lumat.exe", {}},
      {Command::RecentFile, "Recent File", "Open this document", {}},
      {Command::Exit, "E&xit", "Quit the application; prompts to save documents\nExit", {}},
      {Command::Undo, "&Undo\tCtrl+Z", "Undo the last change\nUndo", {"Ctrl+Z", "Alt+Backspace"}},
      {Command::Cut, "Cu&t\tCtrl+X", "Cut the selection and put it on the clipboard\nCut", {"Ctrl+X", "Shift+Del"}},
      {Command::Copy, "&Copy\tCtrl+C", "Copy the selection and put it on the clipboard\nCopy",
       {"Ctrl+C", "Ctrl+Ins"}},
      {Command::Paste, "&Paste\tCtrl+V", "Insert the clipboard contents\nPaste", {"Ctrl+V", "Shift+Ins"}},
      {Command::Find, "&Find...\tCtrl+F3", "Find the specified text\nFind", {"Ctrl+F3"}},
      {Command::FindNext, "Find &Next\tF3", "Find the next occurrence of the text\nFind Next", {"F3"}},
      {Command::Structure, "&Structure...", "Translation Structure\nStructure", {}},
      {Command::Configuration, "&Configuration...", "Configuration settings\nConfiguration", {}},
      {Command::LayerMapping, "&Layer Mapping...", "Map GDS Layer to Output GDS Layer\nLayer Mapping", {}},
      {Command::TypeMapping, "&Type Mapping...", "Map GDS Type to Output GDS Type\nType Mapping", {}},
      {Command::StructureMapping, "Structure &Mapping...",
       "Map GDS Structure Name to Output GDS Structure Name\nStructure Mapping", {}},
      {Command::PolygonFiltering, "&Polygon Filtering...",
       "Filter polygons according to the specified min. and max. limits.\nPolygon Filtering", {}},
      {Command::Translate, "&Translate", "Start translation/merge/add/blend\nTranslate/Merge/Add/Blend", {"Ctrl+T"}},
      {Command::StopRun, "&Stop", "Stop the scan or translation that is running\nStop", {}},
      {Command::PreviewJob, "Pre&view Job",
       "Show what the job will do to this file, without writing anything\nPreview Job", {}},
      {Command::ViewGdsInput, "View &GDS Input...", "Launch GDS viewer for input\nView GDS Input File", {"Ctrl+G"}},
      {Command::ViewGdsOutput, "View GDS &Output...", "Launch GDS viewer for output\nView GDS Output", {}},
      {Command::WebPage, "Helvorn &Web Page...", "Go to Helvorn Web Page\nHelvorn Web Page", {}},
      {Command::RunningKorvex, "&Running KORVEX", "List Help topics\nHelp Index", {}},
      {Command::Installation, "&Installation", "Help on Installation\nHelp on Installation", {}},
      {Command::UsingHelp, "&Using Help", "Display instructions about how to use help\nHelp", {}},
      {Command::About, "&About KORVEX...", "Display program information, version number and copyright\nAbout", {}},
      {Command::ContextHelp, "Help", "Display help for the current task or command\nHelp", {"F1"}},
      {Command::WhatsThis, "What's This", "Display help for clicked buttons, menus and windows\nHelp", {"Shift+F1"}},
      {Command::NextPane, "Next Pane", "Switch to the next window pane\nNext Pane", {"F6"}},
      {Command::PreviousPane, "Previous Pane", "Switch back to the previous window pane\nPrevious Pane", {"Shift+F6"}},
  };
  return table;
}

const CommandText& TextOf(Command command) { return CommandTexts().at(static_cast<std::size_t>(command)); }

std::string StatusPrompt(std::string_view prompt) { return std::string(prompt.substr(0, prompt.find('\n'))); }

std::string ToolTipPrompt(std::string_view prompt) {
  const std::size_t newline = prompt.find('\n');
  return newline == std::string_view::npos ? std::string() : std::string(prompt.substr(newline + 1));
}

}  // namespace korvex
