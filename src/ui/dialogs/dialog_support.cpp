#include "ui/dialogs/dialog_support.h"

#include <QLabel>
#include <QLineEdit>

#include "ui/user_prompts.h"

namespace korvex {

void ShowRefusal(UserPrompts& prompts, QWidget* parent, const std::string& message, QWidget* focus) {
  if (!message.empty()) prompts.Message(parent, "", message, MessageIcon::kWarning);
  if (focus == nullptr) return;
  focus->setFocus(Qt::OtherFocusReason);
  if (auto* field = qobject_cast<QLineEdit*>(focus)) field->selectAll();
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

}  // namespace korvex
