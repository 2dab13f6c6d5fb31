#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvex {

// Every command of the main window.
enum class Command {
  SelectGdsFile,
  OpenJob,
  SaveJobAs,
  SaveLogAs,
  PrintLog,
  PrintSetup,
  Toolbar,
  StatusBar,
  ControlDialog,
  WorkingDirectory,
  GdsViewerDirectory,
  RecentFile,
  Exit,
  Undo,
  Cut,
  Copy,
  Paste,
  Find,
  FindNext,
  Structure,
  Configuration,
  LayerMapping,
  TypeMapping,
  StructureMapping,
  PolygonFiltering,
  Translate,
  StopRun,
  PreviewJob,
  ViewGdsInput,
  ViewGdsOutput,
  WebPage,
  RunningKorvex,
  Installation,
  UsingHelp,
  About,
  ContextHelp,
  WhatsThis,
  NextPane,
  PreviousPane,
};

struct CommandText {
  Command command;
  const char* menuText;  // with its mnemonic; after "\t" the key that the label names
  const char* prompt;    // before "\n": the status-bar text; after it: the tool tip
  // The keys that run the command; the first is the one the menu label names.
  std::vector<const char*> keys;
};

// The whole table, one row per command, in the order of the enumeration.
const std::vector<CommandText>& CommandTexts();
const CommandText& TextOf(Command command);

// The two halves of a prompt text.
std::string StatusPrompt(std::string_view prompt);
std::string ToolTipPrompt(std::string_view prompt);

// The main window's title and its idle status text.
inline constexpr const char* kAppTitle = "KORVEX";
inline constexpr const char* kIdleText = "For Help, press F1";

}  // namespace korvex
