#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/job/control_panel_state.h"
#include "core/job/progress_meter.h"

namespace korvex {

enum class MessageIcon { kInformation, kWarning, kStop };

// A file chooser as the runs ask for it; filters use the "Label|pattern|...||" form.
struct FileQuestion {
  std::string title;  // empty: the platform's own title
  std::string filter;
  std::string defaultExtension;
  std::string initialPath;
  bool save = false;             // a save dialog (else an open dialog)
  bool confirmOverwrite = false;
  bool mustExist = false;
};

// What every run needs of the main window. The window implements it; tests answer it with a
// recording fake, so no run ever blocks on a real dialog.
class RunHost {
 public:
  // Handles the window's pending events while a companion runs, so it stays responsive.
  virtual void PumpMessages() = 0;
  virtual ~RunHost() = default;

  virtual void SetStatusText(const std::string& text) = 0;
  // A modal message box with one OK button. An empty caption stands for the program's title.
  virtual void ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) = 0;
  // The chosen path, or nothing when the user cancelled.
  virtual std::optional<std::string> ChooseFile(const FileQuestion& question) = 0;
  virtual void ShowWaitCursor(bool on) = 0;
  virtual void FocusMainWindow() = 0;
  virtual void UpdateControlPanel(const std::vector<ButtonState>& states) = 0;
  // Shows the file in the log view (read-only for a scan report). False when it was handed
  // to an external editor instead, or could not be shown.
  virtual bool ShowFileInView(const std::string& path) = 0;
  virtual void SetFrameTitle(bool withInput, const std::string& inputFile) = 0;
  // A running companion's progress in the status bar, shown as its lines come, and taken
  // away when the run ends or is stopped.
  virtual void ShowProgress(const ProgressDisplay& progress) = 0;
  virtual void HideProgress() = 0;
};

}  // namespace korvex
