#pragma once

#include <QApplication>
#include <memory>

#include "core/inspect/scan_result.h"
#include "core/job/job_settings.h"

namespace korvex {

class CMainFrame;
class UserPrompts;

// The application object: holds the one set of job settings and the one scan result, and
// starts the main window.
class CKorvexApp : public QApplication {
  Q_OBJECT

 public:
  CKorvexApp(int& argc, char** argv);
  ~CKorvexApp() override;

  // Reads the argument text, creates the main window and opens what it names.
  bool InitInstance();

  JobSettings& Settings() { return m_settings; }
  CMainFrame* MainFrame() { return m_frame.get(); }

 private:
  JobSettings m_settings;
  ScanResult m_scan;
  std::unique_ptr<UserPrompts> m_prompts;
  std::unique_ptr<CMainFrame> m_frame;
  std::string m_argumentText;
};

}  // namespace korvex
