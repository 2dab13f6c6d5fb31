#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/user_prompts.h"

namespace korvex::test {

// Answers every question from a script and records what was shown, so no test blocks on a
// modal dialog.
class FakePrompts : public UserPrompts {
 public:
  struct Shown {
    std::string caption;
    std::string text;
    MessageIcon icon;
  };

  void Message(QWidget*, const std::string& caption, const std::string& text, MessageIcon icon) override {
    messages.push_back({caption, text, icon});
  }
  SaveAnswer AskSaveChanges(QWidget*, const std::string& text) override {
    saveQuestions.push_back(text);
    return saveAnswer;
  }
  std::optional<std::string> ChooseFile(QWidget*, const FileQuestion& question,
                                        const std::function<void()>& workingDirButton) override {
    fileQuestions.push_back(question);
    if (pressWorkingDir && workingDirButton) workingDirButton();
    if (fileAnswers.empty()) return std::nullopt;
    std::optional<std::string> answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
  }
  std::optional<std::string> ChooseDirectory(QWidget*, const std::string& oldDirectory) override {
    directoryQuestions.push_back(oldDirectory);
    return directoryAnswer;
  }
  bool ChoosePrinter(QWidget*, QPrinter& printer) override {
    if (onPrinter) onPrinter(printer);
    return printerAnswer;
  }
  bool PageSetup(QWidget*, QPrinter&) override { return ++pageSetups, true; }
  bool StartDetached(const std::vector<std::string>& argv) override {
    started.push_back(argv);
    return startDetachedAnswer;
  }
  bool OpenWebPage(const std::string& url) override {
    webPages.push_back(url);
    return webPageOpens;
  }

  // Answers.
  bool startDetachedAnswer = true;
  std::deque<std::optional<std::string>> fileAnswers;  // one per file question; none: cancel
  std::optional<std::string> directoryAnswer;
  SaveAnswer saveAnswer = SaveAnswer::Discard;
  bool pressWorkingDir = false;
  bool printerAnswer = true;
  std::function<void(QPrinter&)> onPrinter;
  bool webPageOpens = true;

  // What was shown.
  std::vector<Shown> messages;
  std::vector<std::string> saveQuestions;
  std::vector<FileQuestion> fileQuestions;
  std::vector<std::string> directoryQuestions;
  std::vector<std::vector<std::string>> started;
  std::vector<std::string> webPages;
  int pageSetups = 0;
};

}  // namespace korvex::test
