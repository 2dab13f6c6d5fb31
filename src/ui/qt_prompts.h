#pragma once

#include "ui/user_prompts.h"

namespace korvex {

// The prompts as the desktop shows them: message boxes, file and directory dialogs, print
// dialogs, detached programs and the web browser.
class QtPrompts : public UserPrompts {
 public:
  void Message(QWidget* parent, const std::string& caption, const std::string& text, MessageIcon icon) override;
  SaveAnswer AskSaveChanges(QWidget* parent, const std::string& text) override;
  std::optional<std::string> ChooseFile(QWidget* parent, const FileQuestion& question,
                                        const std::function<void()>& workingDirButton) override;
  std::optional<std::string> ChooseDirectory(QWidget* parent, const std::string& oldDirectory) override;
  bool ChoosePrinter(QWidget* parent, QPrinter& printer) override;
  bool PageSetup(QWidget* parent, QPrinter& printer) override;
  bool StartDetached(const std::vector<std::string>& argv) override;
  bool OpenWebPage(const std::string& url) override;
};

}  // namespace korvex
