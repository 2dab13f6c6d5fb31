#include "ui/command_texts.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace korvex {
namespace {

TEST(CommandTexts, TableRowsFollowTheEnumeration) {
  const auto& table = CommandTexts();
  for (std::size_t i = 0; i < table.size(); ++i) EXPECT_EQ(static_cast<std::size_t>(table[i].command), i);
}

TEST(CommandTexts, EveryLabelNamesAKeyThatRunsItsCommand) {
  for (const CommandText& row : CommandTexts()) {
    const std::string label = row.menuText;
    const std::size_t tab = label.find('\t');
    if (tab == std::string::npos) continue;
    const std::string named = label.substr(tab + 1);
    ASSERT_FALSE(row.keys.empty()) << label;
    EXPECT_EQ(named, row.keys.front()) << label;
  }
  EXPECT_EQ(std::string(TextOf(Command::SelectGdsFile).menuText), "Select &GDS File...\tCtrl+O");
}

TEST(CommandTexts, NoKeyRunsTwoCommands) {
  std::map<std::string, Command> owner;
  for (const CommandText& row : CommandTexts()) {
    for (const char* key : row.keys) {
      const auto [it, inserted] = owner.emplace(key, row.command);
      EXPECT_TRUE(inserted) << key << " is bound twice";
    }
  }
  EXPECT_EQ(owner.at("Ctrl+G"), Command::ViewGdsInput);
  EXPECT_EQ(owner.at("Ctrl+O"), Command::SelectGdsFile);
  EXPECT_EQ(owner.at("Ctrl+S"), Command::SaveLogAs);
  EXPECT_EQ(owner.at("Shift+Del"), Command::Cut);
  EXPECT_EQ(owner.at("Alt+Backspace"), Command::Undo);
}

TEST(CommandTexts, PromptSplitsIntoStatusAndTip) {
  EXPECT_EQ(StatusPrompt(TextOf(Command::SelectGdsFile).prompt), "Select GDS file for translation");
  EXPECT_EQ(ToolTipPrompt(TextOf(Command::SelectGdsFile).prompt), "Select GDS");
  EXPECT_EQ(StatusPrompt(TextOf(Command::PrintLog).prompt), "Print the log file");
  EXPECT_EQ(ToolTipPrompt(TextOf(Command::PrintLog).prompt), "");
}

}  // namespace
}  // namespace korvex
