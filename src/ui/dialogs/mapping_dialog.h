#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "core/options/mapping_model.h"
#include "ui/dialogs/dialog_support.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace korvex {

class RowScrollBar;
class UserPrompts;

// The "Mapping" dialog: each kept layer (or datatype) beside its output number, sixteen
// rows at a time in two columns over a scroll bar; slots without a row are not shown. OK
// stores the rows as LayerMap or DatatypeMap.
class MappingDialog : public QDialog {
  Q_OBJECT

 public:
  // Opens the "Mapping Rules" dialog on a rule list text; the new text when confirmed.
  using RulesRunner = std::function<std::optional<std::string>(QWidget* parent, const std::string& ruleList)>;

  MappingDialog(MappingKind kind, JobSettings& settings, const std::vector<std::string>& scanned,
                UserPrompts& prompts, QWidget* parent = nullptr);

  // Lets a test answer "Advance Rules..." without a modal dialog.
  void SetRulesRunner(RulesRunner runner) { m_runRules = std::move(runner); }

  QLabel* SlotLabel(int slot) const { return m_labels[static_cast<std::size_t>(slot)]; }
  QLineEdit* SlotField(int slot) const { return m_fields[static_cast<std::size_t>(slot)]; }
  RowScrollBar* ScrollBar() const { return m_scroll; }
  QLineEdit* MapAllToField() const { return m_mapAllToField; }
  QPushButton* MapAllToButton() const { return m_mapAllTo; }
  QPushButton* MapAllToItselfButton() const { return m_mapAllToItself; }
  QPushButton* AdvanceRulesButton() const { return m_advanceRules; }

 public slots:
  void accept() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  QWidget* MakeColumn(int firstSlot);
  void Scrolled(int action);
  void AdvanceRules();
  void MapAllTo();
  void Refresh();
  void FieldLeft(QLineEdit* field);
  void Refuse(const Outcome<int>& refusal, QWidget* field);
  QWidget* FieldToBlame(const Outcome<int>& refusal) const;

  MappingModel m_model;
  JobSettings& m_settings;
  UserPrompts& m_prompts;
  RulesRunner m_runRules;
  std::array<QWidget*, 2> m_columns{};
  std::array<QLabel*, MappingModel::kSlots> m_labels{};
  std::array<QLineEdit*, MappingModel::kSlots> m_fields{};
  RowScrollBar* m_scroll = nullptr;
  QPushButton* m_cancel = nullptr;
  Refusals m_refusals;
  QLineEdit* m_mapAllToField = nullptr;
  QPushButton* m_mapAllTo = nullptr;
  QPushButton* m_mapAllToItself = nullptr;
  QPushButton* m_advanceRules = nullptr;
};

}  // namespace korvex
