#pragma once

#include <QDialog>
#include <array>
#include <optional>
#include <string>

#include "core/options/mapping_rules_model.h"
#include "ui/dialogs/dialog_support.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace korvex {

class UserPrompts;

// The "Mapping Rules" dialog: range rules added from four fields into a list kept in the
// order they were added. Enter adds the rule typed. A field that is left holding something
// other than a number from 0 to 65535 says so.
class MappingRulesDialog : public QDialog {
  Q_OBJECT

 public:
  MappingRulesDialog(const std::string& ruleList, UserPrompts& prompts, QWidget* parent = nullptr);

  // The rule list text, once OK was pressed.
  std::string RuleList() const { return m_model.Ok(); }

  QLineEdit* Field(RuleField field) const { return m_fields[static_cast<std::size_t>(field)]; }
  QListWidget* List() const { return m_list; }
  QPushButton* AddButton() const { return m_add; }
  QPushButton* RemoveButton() const { return m_remove; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Add();
  void Remove();
  void ShowEntries();

  MappingRulesModel m_model;
  std::array<QLineEdit*, 4> m_fields{};
  QListWidget* m_list = nullptr;
  QPushButton* m_add = nullptr;
  QPushButton* m_remove = nullptr;
  QPushButton* m_cancel = nullptr;
  Refusals m_refusals;
};

// Runs the dialog modally on the rule list text; the new text when it was confirmed.
std::optional<std::string> RunMappingRulesDialog(QWidget* parent, const std::string& ruleList, UserPrompts& prompts);

}  // namespace korvex
