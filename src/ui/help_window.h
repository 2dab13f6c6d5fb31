#pragma once

#include <QMainWindow>
#include <cstdint>

#include "ui/help_topics.h"

class QTextBrowser;
class QWidget;

namespace korvex {

// Shows the program's help pages, with contents, back and forward.
class CHelpWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit CHelpWindow(QWidget* parent = nullptr);

  void ShowPlace(const HelpPlace& place);
  QTextBrowser* Browser() const { return m_browser; }

 private:
  QTextBrowser* m_browser;
  QString m_page;
};

// Makes the help pages built into the program readable; safe to call more than once.
void LoadHelpPages();

// The address of a help page inside the program.
QString HelpUrl(const HelpPlace& place);

// The one help window of the program, created on first use.
CHelpWindow& HelpWindow();
// Shows the topic of a help context (contents for any context without its own topic).
void ShowContextHelp(std::uint32_t context);
// Lets F1 in a dialog show its context's topic.
void InstallHelpKey(QWidget* window, std::uint32_t context);

}  // namespace korvex
