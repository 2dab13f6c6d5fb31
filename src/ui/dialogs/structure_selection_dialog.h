#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>
#include <string>

#include "core/options/structure_selection_model.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace korvex {

class StructureDependenciesDialog;
class StructureInformationDialog;
class UserPrompts;

// "Structure Selection": the modeless window in which the user picks the top structure.
// Its Information and Dependencies windows are created once, on first use, as its children.
// OK and Cancel, and closing it, destroy it.
class StructureSelectionDialog : public QDialog {
  Q_OBJECT

 public:
  StructureSelectionDialog(ScanResult& scan, UserPrompts& prompts, QWidget* parent = nullptr);

  // Where "Report..." writes the report, and where its template lies.
  void SetDirectories(const std::string& reportDirectory, const std::string& templateDirectory);
  // Where the window reports what it did (the main window's status text).
  void SetStatusSink(std::function<void(const std::string&)> status) { m_status = std::move(status); }

  const std::string& SelectedStructure() const { return m_model.Selected(); }

  // Destroys the Information and Dependencies windows and this one, leaving the top
  // structure and the tree marks as they are (a new scan, or the program ending).
  void CloseWindows();

  QListWidget* List() const { return m_list; }
  QLineEdit* Field() const { return m_field; }
  QPushButton* InfoButton() const { return m_info; }
  QPushButton* DependenceButton() const { return m_dependence; }
  QPushButton* ReportButton() const { return m_report; }
  // Null until first asked for.
  StructureInformationDialog* Information() const;
  StructureDependenciesDialog* Dependencies() const;

 public slots:
  void accept() override;
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ListSelectionChanged();
  void Typed(const QString& text);
  void SelectEntryBeginningWith(const std::string& name);
  void ShowInformation();
  void ShowDependencies();
  void WriteReport();

  StructureSelectionModel m_model;
  ScanResult& m_scan;
  UserPrompts& m_prompts;
  std::string m_reportDirectory;
  std::function<void(const std::string&)> m_status;
  std::string m_templateDirectory;
  // Clear while the window itself rewrites the field, so that is not taken for typing.
  bool m_guard = true;
  QListWidget* m_list = nullptr;
  QLineEdit* m_field = nullptr;
  QPushButton* m_info = nullptr;
  QPushButton* m_dependence = nullptr;
  QPushButton* m_report = nullptr;
  QPointer<StructureInformationDialog> m_informationWindow;
  QPointer<StructureDependenciesDialog> m_dependenciesWindow;
};

}  // namespace korvex
