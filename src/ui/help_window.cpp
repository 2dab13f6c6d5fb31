#include "ui/help_window.h"

#include <QAction>
#include <QCoreApplication>
#include <QPointer>
#include <QShortcut>
#include <QTextBrowser>
#include <QToolBar>

// The pages sit in a static library, whose resource initialiser nothing else would pull in.
static void InitHelpResources() { Q_INIT_RESOURCE(resources); }

namespace korvex {

void LoadHelpPages() {
  static const bool loaded = (InitHelpResources(), true);
  (void)loaded;
}

QString HelpUrl(const HelpPlace& place) {
  QString url = "qrc:/help/" + QString::fromStdString(place.page);
  if (!place.anchor.empty()) url += "#" + QString::fromStdString(place.anchor);
  return url;
}

CHelpWindow::CHelpWindow(QWidget* parent) : QMainWindow(parent) {
  LoadHelpPages();
  setWindowTitle(tr("KORVEX Help"));
  m_browser = new QTextBrowser(this);
  m_browser->setOpenExternalLinks(true);
  setCentralWidget(m_browser);
  QToolBar* bar = addToolBar(tr("Navigation"));
  bar->setMovable(false);
  QAction* contents = bar->addAction(tr("&Contents"));
  QAction* back = bar->addAction(tr("&Back"));
  QAction* forward = bar->addAction(tr("&Forward"));
  back->setShortcut(QKeySequence::Back);
  forward->setShortcut(QKeySequence::Forward);
  back->setEnabled(false);
  forward->setEnabled(false);
  connect(contents, &QAction::triggered, this, [this] {
    m_browser->setSource(HelpUrl({m_page.isEmpty() ? std::string(kProgramHelpPage) : m_page.toStdString(), {}}));
  });
  connect(back, &QAction::triggered, m_browser, &QTextBrowser::backward);
  connect(forward, &QAction::triggered, m_browser, &QTextBrowser::forward);
  connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
  connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
  connect(m_browser, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) {
    m_page = url.fileName();
    setWindowTitle(tr("KORVEX Help") + " - " + m_browser->documentTitle());
  });
  resize(720, 560);
}

void CHelpWindow::ShowPlace(const HelpPlace& place) {
  m_browser->setSource(HelpUrl(place));
  show();
  raise();
  activateWindow();
}

CHelpWindow& HelpWindow() {
  static QPointer<CHelpWindow> window;
  if (window.isNull()) {
    window = new CHelpWindow;
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, window, &QObject::deleteLater);
  }
  return *window;
}

void ShowContextHelp(std::uint32_t context) { HelpWindow().ShowPlace(HelpPlaceForContext(context)); }

void InstallHelpKey(QWidget* window, std::uint32_t context) {
  auto* key = new QShortcut(QKeySequence::HelpContents, window);
  key->setContext(Qt::WindowShortcut);
  QObject::connect(key, &QShortcut::activated, window, [context] { ShowContextHelp(context); });
}

}  // namespace korvex
