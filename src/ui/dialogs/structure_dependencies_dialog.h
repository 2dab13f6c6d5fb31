#pragma once

#include <QDialog>
#include <string>

#include "core/inspect/scan_result.h"

class QPlainTextEdit;

namespace korvex {

class UserPrompts;

// "Structure Dependencies": the drawing of one structure's tree from the scan report. It
// reads the report each time it is shown; "Close" only hides it.
class StructureDependenciesDialog : public QDialog {
  Q_OBJECT

 public:
  StructureDependenciesDialog(const ScanResult& scan, UserPrompts& prompts, QWidget* parent = nullptr);

  void SetStructure(const std::string& name);
  const std::string& Structure() const { return m_structure; }
  QPlainTextEdit* Text() const { return m_text; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Fill();

  const ScanResult& m_scan;
  UserPrompts& m_prompts;
  std::string m_structure;
  QPlainTextEdit* m_text = nullptr;
};

}  // namespace korvex
