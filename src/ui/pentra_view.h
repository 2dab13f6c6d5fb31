#pragma once

#include <QPlainTextEdit>

class QPrinter;

namespace korvex {

// The main window's client area: a plain text view of one file.
class CPentraView : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit CPentraView(QWidget* parent = nullptr);

  // Searches from the cursor towards the end (down) or the start; selects the match.
  bool FindText(const QString& what, bool matchCase, bool down);
  void PrintText(QPrinter& printer) const;
};

}  // namespace korvex
