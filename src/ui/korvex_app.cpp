#include "ui/korvex_app.h"

#include "core/job/startup_arguments.h"
#include "ui/command_texts.h"
#include "ui/main_frame.h"
#include "ui/qt_prompts.h"

namespace korvex {

CKorvexApp::CKorvexApp(int& argc, char** argv)
    : QApplication(argc, argv), m_prompts(std::make_unique<QtPrompts>()), m_argumentText(JoinArguments(argc, argv)) {
  setApplicationName("Korvex");
  setOrganizationName("Helvorn");
  setDesktopFileName("korvex");
}

CKorvexApp::~CKorvexApp() = default;

bool CKorvexApp::InitInstance() {
  const StartupRequest request = ParseStartupArguments(m_argumentText);
  if (request.debugMode) {
    m_settings.DebugMode = 1;
    m_prompts->Message(nullptr, kAppTitle, kDebugModeMessage, MessageIcon::kInformation);
  }
  m_frame = std::make_unique<CMainFrame>(m_settings, m_scan, *m_prompts);
  m_frame->show();
  m_frame->raise();
  m_frame->activateWindow();
  if (!request.fileToOpen.empty()) m_frame->OpenFile(QString::fromStdString(request.fileToOpen));
  return true;
}

}  // namespace korvex
