#pragma once

#include <QWidget>
#include <array>

#include "core/options/config_model.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace korvex {

// The "Configuration" page of the Configuration sheet: merge mode, translation settings and
// name control. It shows its model and hands every user action to it.
class CCfgPage : public QWidget {
  Q_OBJECT

 public:
  explicit CCfgPage(CfgPageModel& model, QWidget* parent = nullptr);

  // Shows the model's ticks, texts and enabling.
  void Refresh();

  // The widget of a control: a check box, a field, or for the radio pair "Upper Case".
  QWidget* Control(CfgControl control) const { return m_controls[static_cast<std::size_t>(control)]; }
  QCheckBox* Box(CfgControl control) const;
  QLineEdit* Field(CfgControl control) const;
  QRadioButton* UpperCase() const { return m_upper; }
  QRadioButton* LowerCase() const { return m_lower; }

 private:
  QCheckBox* AddBox(CfgControl control, const QString& text);
  QLineEdit* AddField(CfgControl control, std::string CfgPageModel::*text);

  CfgPageModel& m_model;
  std::array<QWidget*, kCfgControlCount> m_controls{};
  QLabel* m_newTopLabel = nullptr;
  QRadioButton* m_upper = nullptr;
  QRadioButton* m_lower = nullptr;
};

}  // namespace korvex
