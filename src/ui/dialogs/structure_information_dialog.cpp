#include "ui/dialogs/structure_information_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "core/options/structure_details.h"
#include "ui/dialogs/dialog_support.h"

namespace korvex {
namespace {

// A read-only field under its label, placed at (row, column) of the grid.
QLineEdit* AddField(QGridLayout* grid, QWidget* parent, const QString& label, int row, int column) {
  auto* field = new QLineEdit(parent);
  field->setReadOnly(true);
  grid->addWidget(BuddyLabel(label, field, parent), row, column);
  grid->addWidget(field, row + 1, column);
  return field;
}

}  // namespace

StructureInformationDialog::StructureInformationDialog(const ScanResult& scan, QWidget* parent)
    : QDialog(parent), m_scan(scan) {
  setWindowTitle(tr("Structure Information"));
  auto* extents = new QGroupBox(tr("Structure Extents"), this);
  auto* extentGrid = new QGridLayout(extents);
  m_min = AddField(extentGrid, extents, tr("M&in (X , Y)"), 0, 0);
  m_max = AddField(extentGrid, extents, tr("M&ax (X , Y)"), 2, 0);

  auto* counts = new QGroupBox(tr("Element Counts"), this);
  auto* countGrid = new QGridLayout(counts);
  m_boundary = AddField(countGrid, counts, tr("&Boundary"), 0, 0);
  m_path = AddField(countGrid, counts, tr("&Path"), 0, 1);
  m_sref = AddField(countGrid, counts, tr("&SRef"), 2, 0);
  m_aref = AddField(countGrid, counts, tr("A&Ref"), 2, 1);
  m_text = AddField(countGrid, counts, tr("&Text"), 2, 2);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  buttons->button(QDialogButtonBox::Close)->setDefault(true);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(extents);
  layout->addWidget(counts);
  layout->addWidget(buttons);
}

void StructureInformationDialog::SetStructure(const std::string& name) {
  m_structure = name;
  if (isVisible()) Fill();
}

void StructureInformationDialog::showEvent(QShowEvent* event) {
  Fill();
  QDialog::showEvent(event);
}

void StructureInformationDialog::Fill() {
  const StructureInformation info = DescribeStructure(m_scan, m_structure);
  m_min->setText(ToQ(info.min));
  m_max->setText(ToQ(info.max));
  m_boundary->setText(ToQ(info.boundary));
  m_path->setText(ToQ(info.path));
  m_sref->setText(ToQ(info.sref));
  m_aref->setText(ToQ(info.aref));
  m_text->setText(ToQ(info.text));
}

}  // namespace korvex
