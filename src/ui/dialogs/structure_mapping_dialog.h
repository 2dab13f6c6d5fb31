#pragma once

#include <QDialog>
#include <array>

#include "core/options/structure_mapping_model.h"
#include "ui/dialogs/dialog_support.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace korvex {

class RowScrollBar;
class UserPrompts;

// The "Structures Mapping" dialog: every structure beside its output name, ten rows at a
// time over a scroll bar. OK writes korvex.smp.
class StructureMappingDialog : public QDialog {
  Q_OBJECT

 public:
  StructureMappingDialog(const JobSettings& settings, std::vector<std::string> structureNames, UserPrompts& prompts,
                         QWidget* parent = nullptr);

  QLineEdit* NameField(int row) const { return m_names[static_cast<std::size_t>(row)]; }
  QLineEdit* OutputField(int row) const { return m_outputs[static_cast<std::size_t>(row)]; }
  RowScrollBar* ScrollBar() const { return m_scroll; }
  QLabel* Notice() const { return m_notice; }
  QPushButton* OkButton() const { return m_ok; }
  QPushButton* HelpButton() const { return m_help; }

 signals:
  void HelpRequested();

 public slots:
  void accept() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Scrolled(int action);
  void TakeInEditedRow();
  void Refresh();
  void ShowRowRefusal(const Outcome<int>& refusal);

  StructureMappingModel m_model;
  std::array<QLineEdit*, StructureMappingModel::kRows> m_names{};
  std::array<QLineEdit*, StructureMappingModel::kRows> m_outputs{};
  RowScrollBar* m_scroll = nullptr;
  QLabel* m_notice = nullptr;
  QPushButton* m_ok = nullptr;
  QPushButton* m_help = nullptr;
  Refusals m_refusals;
};

}  // namespace korvex
