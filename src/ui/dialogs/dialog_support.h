#pragma once

#include <QString>
#include <functional>
#include <string>

class QEvent;
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

// Shows refusals one at a time. While a message is up the event loop still runs: an arrow
// held down repeats its step, a field left a moment before is checked, a button released
// is clicked. Whatever is refused then is the same fault again; it only returns the focus.
class Refusals {
 public:
  explicit Refusals(UserPrompts& prompts) : m_prompts(prompts) {}
  bool Showing() const { return m_showing; }
  void Show(QWidget* parent, const std::string& message, QWidget* focus);

 private:
  UserPrompts& m_prompts;
  bool m_showing = false;
};

// A number field is checked when the user leaves it (Tab, a click, a shortcut; a window
// coming up is no leaving), once the focus has settled: a click that took the focus to the
// scroll bar or a button acts first and, meeting the same bad number, says so itself, so
// the check finds the focus back in the field and stays silent. Leaving for Cancel, or for
// another window, is not checked.
bool LeftByUser(const QEvent* event);
void CheckWhenSettled(QWidget* dialog, QLineEdit* field, QWidget* cancel, std::function<void()> check);

// A label whose mnemonic leads to the field beside or below it.
QLabel* BuddyLabel(const QString& text, QWidget* buddy, QWidget* parent);

// Replaces a field's text without touching it when it already shows that text, so the
// cursor does not jump while the user types.
void ShowText(QLineEdit* field, const std::string& text);

// Shows a name in a read-only field: one too wide for it loses characters in the middle,
// where names that share a start and an end differ; the tool tip holds the whole name.
// Call it again when the field is resized.
void ShowElided(QLineEdit* field, const std::string& text);

}  // namespace korvex
