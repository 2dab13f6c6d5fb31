#include "ui/korvex_app.h"

#include <QMessageBox>

#include "core/job/startup_arguments.h"
#include "ui/main_frame.h"

namespace korvex {

CKorvexApp::CKorvexApp(int& argc, char** argv)
    : QApplication(argc, argv), m_argumentText(JoinArguments(argc, argv)) {
  setApplicationName("Korvex");
  setOrganizationName("Helvorn");
}

CKorvexApp::~CKorvexApp() = default;

bool CKorvexApp::InitInstance() {
  const StartupRequest request = ParseStartupArguments(m_argumentText);
  if (request.debugMode) {
    m_settings.DebugMode = 1;
    QMessageBox::information(nullptr, "KORVEX", kDebugModeMessage);
  }
  m_frame = std::make_unique<CMainFrame>(m_settings);
  m_frame->show();
  if (!request.fileToOpen.empty()) m_frame->OpenFile(QString::fromStdString(request.fileToOpen));
  return true;
}

}  // namespace korvex
