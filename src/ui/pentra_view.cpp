#include "ui/pentra_view.h"

#include <QFontDatabase>
#include <QPrinter>

namespace korvex {

CPentraView::CPentraView(QWidget* parent) : QPlainTextEdit(parent) {
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setReadOnly(true);
}

bool CPentraView::FindText(const QString& what, bool matchCase, bool down) {
  if (what.isEmpty()) return false;
  QTextDocument::FindFlags flags;
  if (matchCase) flags |= QTextDocument::FindCaseSensitively;
  if (!down) flags |= QTextDocument::FindBackward;
  return find(what, flags);
}

void CPentraView::PrintText(QPrinter& printer) const {
  // The printed copy keeps the view's fixed-pitch font.
  QTextDocument copy;
  copy.setDefaultFont(font());
  copy.setPlainText(toPlainText());
  copy.print(&printer);
}

}  // namespace korvex
