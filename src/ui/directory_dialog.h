#pragma once

#include <QDialog>

#include "ui/directory_browser.h"

class QLineEdit;
class QListWidget;
class QListWidgetItem;

namespace korvex {

class UserPrompts;

// The Directory dialog: the old directory, and a new one chosen by typing its path or by
// moving through subdirectories and places. Browsing starts in the process's current
// directory, which the dialog itself never changes.
class CDirectoryDialog : public QDialog {
  Q_OBJECT

 public:
  CDirectoryDialog(const QString& oldDirectory, UserPrompts& prompts, QWidget* parent = nullptr);

  // The directory being browsed: what OK returns.
  QString Directory() const;
  bool EntryInvalid() const { return m_invalid; }

  // What the dialog's controls do, callable from tests.
  void TypePath(const QString& text);  // type a path and leave the field
  bool Confirm();                      // OK: false when the dialog stays open
  void OpenSubdirectory(const QString& name);
  void OpenPlace(const QString& place);

  QListWidget* SubdirectoryList() const { return m_subdirectories; }
  QListWidget* PlaceList() const { return m_places; }

 public slots:
  void accept() override;

 private:
  void Refresh();
  void PathEdited();

  UserPrompts& m_prompts;
  DirectoryBrowser m_browser;
  QLineEdit* m_old;
  QLineEdit* m_path;
  QListWidget* m_subdirectories;
  QListWidget* m_places;
  bool m_invalid = false;
};

// "%s.  The directory does not exist." for the typed text.
std::string DirectoryMissingMessage(const std::string& typed);

}  // namespace korvex
