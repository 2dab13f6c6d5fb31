#pragma once

#include <QWidget>

#include "core/options/file_list_model.h"
#include "ui/dialogs/choose_files.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace korvex {

class UserPrompts;

// The "Files to Merge/Add/Blend" page: the files the engine combines with the input file.
class CFileList : public QWidget {
  Q_OBJECT

 public:
  CFileList(FileListModel& model, JobSettings& settings, UserPrompts& prompts, QWidget* parent = nullptr);

  void Refresh();

  // Lets a test answer the file dialog of "Add Files...".
  void SetFileChooser(ChooseFiles chooser) { m_chooseFiles = std::move(chooser); }

  QListWidget* List() const { return m_list; }
  QLabel* Caption() const { return m_caption; }
  QPushButton* RemoveButton() const { return m_remove; }
  QPushButton* AddButton() const { return m_add; }

 private:
  void AddFiles();
  void RemoveFiles();

  FileListModel& m_model;
  JobSettings& m_settings;
  UserPrompts& m_prompts;
  ChooseFiles m_chooseFiles = ChooseFilesWithDialog;
  QListWidget* m_list = nullptr;
  QLabel* m_caption = nullptr;
  QPushButton* m_remove = nullptr;
  QPushButton* m_add = nullptr;
};

}  // namespace korvex
