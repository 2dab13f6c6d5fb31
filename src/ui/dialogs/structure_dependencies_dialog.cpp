#include "ui/dialogs/structure_dependencies_dialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QShowEvent>
#include <QVBoxLayout>

#include "core/options/structure_details.h"
#include "ui/dialogs/dialog_support.h"
#include "ui/user_prompts.h"

namespace korvex {

StructureDependenciesDialog::StructureDependenciesDialog(const ScanResult& scan, UserPrompts& prompts,
                                                         QWidget* parent)
    : QDialog(parent), m_scan(scan), m_prompts(prompts) {
  setWindowTitle(tr("Structure Dependencies"));
  m_text = new QPlainTextEdit(this);
  m_text->setReadOnly(true);
  m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
  // The tree is drawn with characters in columns.
  m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  buttons->button(QDialogButtonBox::Close)->setDefault(true);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_text);
  layout->addWidget(buttons);
  resize(420, 360);
}

void StructureDependenciesDialog::SetStructure(const std::string& name) {
  m_structure = name;
  if (isVisible()) Fill();
}

void StructureDependenciesDialog::showEvent(QShowEvent* event) {
  Fill();
  QDialog::showEvent(event);
}

void StructureDependenciesDialog::Fill() {
  const StructureDependencies tree = DescribeDependencies(m_scan, m_structure);
  m_text->setPlainText(ToQ(tree.text));
  if (!tree.outcome.accepted) {
    // Not from inside the show event: the message box would open before this window.
    QTimer::singleShot(0, this, [this, message = tree.outcome.message] { ShowRefusal(m_prompts, this, message); });
  }
}

}  // namespace korvex
