#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/job/run_host.h"

class QPrinter;
class QWidget;

namespace korvex {

enum class SaveAnswer { Save, Discard, Cancel };

// Everything that would stop and ask the user, or start a program without waiting. The
// windows call this interface only, so tests can answer it and read what was shown.
class UserPrompts {
 public:
  virtual ~UserPrompts() = default;

  virtual void Message(QWidget* parent, const std::string& caption, const std::string& text,
                       MessageIcon icon) = 0;
  // "Save changes to ...?" with Yes, No and Cancel.
  virtual SaveAnswer AskSaveChanges(QWidget* parent, const std::string& text) = 0;
  // When workingDirButton is set, the dialog carries a "&Working Dir..." button that calls
  // it; the file dialog stays open meanwhile.
  virtual std::optional<std::string> ChooseFile(QWidget* parent, const FileQuestion& question,
                                                const std::function<void()>& workingDirButton = {}) = 0;
  // The Directory dialog; the chosen directory, or none when cancelled.
  virtual std::optional<std::string> ChooseDirectory(QWidget* parent, const std::string& oldDirectory) = 0;
  virtual bool ChoosePrinter(QWidget* parent, QPrinter& printer) = 0;
  virtual bool PageSetup(QWidget* parent, QPrinter& printer) = 0;
  // Starts a program (argv[0] is looked up in PATH) and does not wait for it.
  virtual bool StartDetached(const std::vector<std::string>& argv) = 0;
  // Opens a web address in the user's browser.
  virtual bool OpenWebPage(const std::string& url) = 0;
};

}  // namespace korvex
