#pragma once

#include <QDialog>
#include <array>

#include "core/options/polygon_filter_model.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace korvex {

class UserPrompts;

// The "Polygon Filtering" dialog: the on/off box and the limits it enables.
class PolygonFilteringDialog : public QDialog {
  Q_OBJECT

 public:
  PolygonFilteringDialog(JobSettings& settings, UserPrompts& prompts, QWidget* parent = nullptr);

  QCheckBox* OnBox() const { return m_on; }
  QLineEdit* Field(PolygonField field) const { return m_fields[static_cast<std::size_t>(field)]; }
  QPushButton* HelpButton() const { return m_help; }

 signals:
  // Help was asked for: the polygon-filtering help page is to be shown.
  void HelpRequested();

 public slots:
  void accept() override;

 private:
  void Clicked(bool ticked);
  void Refresh();
  void ShowFieldRefusal(const Outcome<PolygonField>& refusal);

  PolygonFilterModel m_model;
  JobSettings& m_settings;
  UserPrompts& m_prompts;
  QCheckBox* m_on = nullptr;
  std::array<QLineEdit*, kPolygonFieldCount> m_fields{};
  QPushButton* m_help = nullptr;
};

}  // namespace korvex
