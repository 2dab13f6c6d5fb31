#pragma once

#include <QDialog>
#include <optional>

#include "core/job/window_placement.h"

class QPushButton;

namespace korvex {

// The About box. A double-click on its background shows the credits picture over the whole
// box; a double-click on the picture puts the box back.
class CAboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDialog(QWidget* parent = nullptr);

  void RevealCredits();
  void HideCredits();
  bool CreditsShown() const;
  QPushButton* OkButton() const { return m_ok; }
  QPushButton* CreditsButton() const { return m_credits; }

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPushButton* m_ok;
  QPushButton* m_credits;
  // Noted at the first reveal; forgotten when the box closes.
  std::optional<WindowRect> m_noted;
  std::optional<WindowRect> m_reveal;
};

}  // namespace korvex
