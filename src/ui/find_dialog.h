#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace korvex {

struct FindRequest {
  QString text;
  bool matchCase = false;
  bool down = true;
};

// The modeless Find dialog of the log view.
class CFindDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CFindDialog(QWidget* parent = nullptr);

  FindRequest Request() const;
  void SetRequest(const FindRequest& request);

 signals:
  void FindNext(const korvex::FindRequest& request);

 private:
  QLineEdit* m_text;
  QCheckBox* m_matchCase;
  QRadioButton* m_up;
  QRadioButton* m_down;
  QPushButton* m_findNext;
};

}  // namespace korvex
