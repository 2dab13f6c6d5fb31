#pragma once

#include <QDialog>
#include <string>

#include "core/inspect/scan_result.h"

class QLineEdit;

namespace korvex {

// "Structure Information": one structure's extents and element counts. It fills itself
// each time it is shown; "Close" only hides it.
class StructureInformationDialog : public QDialog {
  Q_OBJECT

 public:
  StructureInformationDialog(const ScanResult& scan, QWidget* parent = nullptr);

  // The structure to show; a shown window shows it at once.
  void SetStructure(const std::string& name);
  const std::string& Structure() const { return m_structure; }

  QLineEdit* MinField() const { return m_min; }
  QLineEdit* MaxField() const { return m_max; }
  QLineEdit* BoundaryField() const { return m_boundary; }
  QLineEdit* PathField() const { return m_path; }
  QLineEdit* SRefField() const { return m_sref; }
  QLineEdit* ARefField() const { return m_aref; }
  QLineEdit* TextField() const { return m_text; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Fill();

  const ScanResult& m_scan;
  std::string m_structure;
  QLineEdit* m_min = nullptr;
  QLineEdit* m_max = nullptr;
  QLineEdit* m_boundary = nullptr;
  QLineEdit* m_path = nullptr;
  QLineEdit* m_sref = nullptr;
  QLineEdit* m_aref = nullptr;
  QLineEdit* m_text = nullptr;
};

}  // namespace korvex
