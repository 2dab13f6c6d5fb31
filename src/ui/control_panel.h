#pragma once

#include <QDialog>
#include <array>

#include "ui/panel_rules.h"

class QPushButton;

namespace korvex {

// The modeless panel whose buttons lead through the steps of a job. It only shows the
// enabling and captions it is given and reports which button was pressed; its close box
// asks the owner to hide it.
class CControlPanel : public QDialog {
  Q_OBJECT

 public:
  explicit CControlPanel(QWidget* owner);

  void SetEnabling(const PanelEnabling& enabling);
  void SetTranslateCaption(const QString& caption);
  QPushButton* Button(PanelButton button) const { return m_buttons[static_cast<std::size_t>(button)]; }

 signals:
  void ButtonPressed(korvex::PanelButton button);
  void CloseRequested();

 public slots:
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  std::array<QPushButton*, kPanelButtonCount> m_buttons{};
};

}  // namespace korvex
