#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/job/scan_run.h"
#include "core/job/translation_run.h"

namespace korvex::test {

struct ShownMessage {
  std::string caption;
  std::string text;
  MessageIcon icon;
};

// Answers every question of a run and keeps what the run showed.
class RecordingHost : public TranslationHost, public ScanHost {
 public:
  void SetStatusText(const std::string& text) override { statusTexts.push_back(text); }
  void ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) override {
    messages.push_back({caption, text, icon});
  }
  std::optional<std::string> ChooseFile(const FileQuestion& question) override {
    questions.push_back(question);
    return fileAnswer;
  }
  void ShowWaitCursor(bool on) override { waitCursor = on; }
  void FocusMainWindow() override { ++focusCount; }
  void UpdateControlPanel(const std::vector<ButtonState>& states) override {
    panelUpdates.insert(panelUpdates.end(), states.begin(), states.end());
  }
  bool ShowFileInView(const std::string& path) override {
    shownFiles.push_back(path);
    return showInViewAnswer;
  }
  void SetFrameTitle(bool withInput, const std::string& inputFile) override {
    titles.push_back(withInput ? inputFile : std::string());
  }
  void CloseStructureWindows() override { ++structureWindowsClosed; }
  void EmptyLogView() override { ++logViewEmptied; }
  void AddToRecentFiles(const std::string& path) override { recentFiles.push_back(path); }
  void ShowProgress(const ProgressDisplay& progress) override {
    progressShown.push_back(progress);
    progressVisible = true;
  }
  void HideProgress() override { progressVisible = false; }
  void PumpMessages() override {
    ++pumpCount;
    if (onPump) onPump();
  }

  std::string LastStatus() const { return statusTexts.empty() ? std::string() : statusTexts.back(); }

  // Answers.
  std::optional<std::string> fileAnswer;
  bool showInViewAnswer = true;
  std::function<void()> onPump;

  // Records.
  std::vector<std::string> statusTexts;
  std::vector<ShownMessage> messages;
  std::vector<FileQuestion> questions;
  std::vector<ButtonState> panelUpdates;
  std::vector<std::string> shownFiles;
  std::vector<std::string> titles;
  bool waitCursor = false;
  int focusCount = 0;
  int pumpCount = 0;
  int structureWindowsClosed = 0;
  int logViewEmptied = 0;
  std::vector<std::string> recentFiles;
  std::vector<ProgressDisplay> progressShown;
  bool progressVisible = false;
};

}  // namespace korvex::test
