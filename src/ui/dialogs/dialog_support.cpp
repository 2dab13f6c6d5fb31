#include "ui/dialogs/dialog_support.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <QStyle>

#include "ui/user_prompts.h"

namespace korvex {

void ShowRefusal(UserPrompts& prompts, QWidget* parent, const std::string& message, QWidget* focus) {
  if (!message.empty()) prompts.Message(parent, "", message, MessageIcon::kWarning);
  if (focus == nullptr) return;
  focus->setFocus(Qt::OtherFocusReason);
  if (auto* field = qobject_cast<QLineEdit*>(focus)) field->selectAll();
}

void Refusals::Show(QWidget* parent, const std::string& message, QWidget* focus) {
  if (m_showing) {
    if (focus != nullptr) focus->setFocus(Qt::OtherFocusReason);
    return;
  }
  m_showing = true;
  ShowRefusal(m_prompts, parent, message, focus);
  m_showing = false;
}

bool LeftByUser(const QEvent* event) {
  if (event->type() != QEvent::FocusOut) return false;
  const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
  return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

void CheckWhenSettled(QWidget* dialog, QLineEdit* field, QWidget* cancel, std::function<void()> check) {
  QTimer::singleShot(0, dialog, [dialog, field = QPointer<QLineEdit>(field), cancel, check = std::move(check)] {
    QWidget* now = QApplication::focusWidget();
    if (!field || !dialog->isVisible() || now == nullptr || now == field || now == cancel ||
        now->window() != dialog) {
      return;
    }
    check();
  });
}

QLabel* BuddyLabel(const QString& text, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setBuddy(buddy);
  return label;
}

void ShowText(QLineEdit* field, const std::string& text) {
  const QString shown = ToQ(text);
  if (field->text() != shown) field->setText(shown);
}

void ShowElided(QLineEdit* field, const std::string& text) {
  const QString whole = ToQ(text);
  // The room inside the frame, less the field's own margins around its text.
  const QMargins margins = field->textMargins();
  const int frame = field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, field);
  const int room = field->contentsRect().width() - 2 * frame - margins.left() - margins.right() - 6;
  const QString shown = field->fontMetrics().elidedText(whole, Qt::ElideMiddle, std::max(room, 0));
  if (field->text() != shown) field->setText(shown);
  field->setCursorPosition(0);
  field->setToolTip(whole);
}

}  // namespace korvex
