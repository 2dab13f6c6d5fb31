#pragma once

#include <QString>
#include <string>

class QLabel;
class QLineEdit;
class QWidget;

namespace korvex {

class UserPrompts;

inline QString ToQ(const std::string& text) { return QString::fromStdString(text); }
inline std::string FromQ(const QString& text) { return text.toStdString(); }

// Shows a refusal in a message box, then puts the focus into the field to blame (its text
// selected, so the user can type over it).
void ShowRefusal(UserPrompts& prompts, QWidget* parent, const std::string& message, QWidget* focus = nullptr);

// A label whose mnemonic leads to the field beside or below it.
QLabel* BuddyLabel(const QString& text, QWidget* buddy, QWidget* parent);

// Replaces a field's text without touching it when it already shows that text, so the
// cursor does not jump while the user types.
void ShowText(QLineEdit* field, const std::string& text);

}  // namespace korvex
