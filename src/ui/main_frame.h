#pragma once

#include <QMainWindow>
#include <QString>

#include "core/job/job_settings.h"

class QCloseEvent;

namespace korvex {

// The program's main window. Settings are loaded while it is created and saved when it closes.
class CMainFrame : public QMainWindow {
  Q_OBJECT

 public:
  CMainFrame(JobSettings& settings, QWidget* parent = nullptr);

  // Takes a file to work on: from the command line, a drop or the file menu.
  void OpenFile(const QString& path);
  const QString& RequestedFile() const { return m_requestedFile; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  JobSettings& m_settings;
  QString m_requestedFile;
};

}  // namespace korvex
