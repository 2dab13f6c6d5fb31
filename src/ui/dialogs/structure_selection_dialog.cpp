#include "ui/dialogs/structure_selection_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QShowEvent>
#include <QVBoxLayout>

#include "core/inspect/scan_result.h"
#include "ui/dialogs/dialog_support.h"
#include "ui/dialogs/structure_dependencies_dialog.h"
#include "ui/dialogs/structure_information_dialog.h"
#include "ui/editor_hand_over.h"
#include "ui/help_topics.h"
#include "ui/help_window.h"
#include "ui/user_prompts.h"

namespace korvex {

StructureSelectionDialog::StructureSelectionDialog(ScanResult& scan, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), m_model(scan), m_scan(scan), m_prompts(prompts) {
  setWindowTitle(tr("Structure Selection"));
  InstallHelpKey(this, kHelpContextStructureSelection);

  m_list = new QListWidget(this);
  m_list->setSelectionMode(QAbstractItemView::SingleSelection);
  auto* listLabel = BuddyLabel(tr("Structure &List"), m_list, this);

  auto* selected = new QGroupBox(tr("Selected Structure"), this);
  m_field = new QLineEdit(selected);
  m_field->setMaxLength(static_cast<int>(kStructureNameLength));
  m_info = new QPushButton(tr("&Info..."), selected);
  m_dependence = new QPushButton(tr("&Dependence..."), selected);
  m_report = new QPushButton(tr("&Report..."), selected);
  auto* selectedGrid = new QGridLayout(selected);
  selectedGrid->addWidget(m_field, 0, 0, 1, 2);
  selectedGrid->addWidget(m_info, 1, 0);
  selectedGrid->addWidget(m_dependence, 1, 1);
  selectedGrid->addWidget(m_report, 2, 0, 1, 2);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(listLabel);
  layout->addWidget(m_list, 1);
  layout->addWidget(selected);
  layout->addWidget(buttons);

  connect(m_list, &QListWidget::itemSelectionChanged, this, &StructureSelectionDialog::ListSelectionChanged);
  connect(m_list, &QListWidget::itemDoubleClicked, this, &StructureSelectionDialog::accept);
  connect(m_field, &QLineEdit::textChanged, this, &StructureSelectionDialog::Typed);
  connect(m_info, &QPushButton::clicked, this, &StructureSelectionDialog::ShowInformation);
  connect(m_dependence, &QPushButton::clicked, this, &StructureSelectionDialog::ShowDependencies);
  connect(m_report, &QPushButton::clicked, this, &StructureSelectionDialog::WriteReport);
  connect(buttons, &QDialogButtonBox::accepted, this, &StructureSelectionDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &StructureSelectionDialog::reject);
}

StructureInformationDialog* StructureSelectionDialog::Information() const { return m_informationWindow; }

StructureDependenciesDialog* StructureSelectionDialog::Dependencies() const { return m_dependenciesWindow; }

void StructureSelectionDialog::SetDirectories(const std::string& reportDirectory,
                                              const std::string& templateDirectory) {
  m_reportDirectory = reportDirectory;
  m_templateDirectory = templateDirectory;
}

void StructureSelectionDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;  // the desktop restoring the window is no new showing
  m_model.Show();
  {
    const QSignalBlocker quiet(m_list);
    m_list->clear();
    for (const std::string& entry : m_model.Entries()) m_list->addItem(ToQ(entry));
  }
  SelectEntryBeginningWith(m_model.Selected());
  m_guard = false;
  m_field->setText(ToQ(m_model.Selected()));
  m_guard = true;
  // Taken in as if typed: the typing rule finds the name and marks its tree.
  Typed(m_field->text());
}

void StructureSelectionDialog::SelectEntryBeginningWith(const std::string& name) {
  const QSignalBlocker quiet(m_list);
  const std::optional<std::size_t> entry = m_model.EntryBeginningWith(name);
  if (!entry) {
    m_list->clearSelection();
    return;
  }
  m_list->setCurrentRow(static_cast<int>(*entry));
  m_list->scrollToItem(m_list->currentItem());
}

void StructureSelectionDialog::ListSelectionChanged() {
  const QList<QListWidgetItem*> items = m_list->selectedItems();
  if (items.isEmpty()) return;
  m_guard = false;
  const Outcome<int> picked = m_model.PickEntry(static_cast<std::size_t>(m_list->row(items.first())));
  m_field->setText(ToQ(m_model.Selected()));
  m_guard = true;
  if (!picked.accepted) {
    ShowRefusal(m_prompts, this, picked.message);
    return;
  }
  if (m_informationWindow) m_informationWindow->SetStructure(m_model.Selected());
  if (m_dependenciesWindow) m_dependenciesWindow->SetStructure(m_model.Selected());
}

void StructureSelectionDialog::Typed(const QString& text) {
  if (!m_guard) return;
  const StructureSelectionModel::Typed typed = m_model.Type(FromQ(text));
  if (!typed.taken) return;
  if (!typed.outcome.accepted) {
    ShowRefusal(m_prompts, this, typed.outcome.message);
    return;
  }
  SelectEntryBeginningWith(m_model.Selected());
  if (m_informationWindow && m_informationWindow->isVisible()) m_informationWindow->SetStructure(m_model.Selected());
  if (m_dependenciesWindow && m_dependenciesWindow->isVisible()) {
    m_dependenciesWindow->SetStructure(m_model.Selected());
  }
}

void StructureSelectionDialog::ShowInformation() {
  if (!m_informationWindow) m_informationWindow = new StructureInformationDialog(m_scan, this);
  m_informationWindow->SetStructure(m_model.Selected());
  m_informationWindow->show();
  m_informationWindow->raise();
}

void StructureSelectionDialog::ShowDependencies() {
  if (!m_dependenciesWindow) m_dependenciesWindow = new StructureDependenciesDialog(m_scan, m_prompts, this);
  m_dependenciesWindow->SetStructure(m_model.Selected());
  m_dependenciesWindow->show();
  m_dependenciesWindow->raise();
}

void StructureSelectionDialog::WriteReport() {
  const StructureSelectionModel::WrittenReport report = m_model.WriteReport(m_reportDirectory, m_templateDirectory);
  if (!report.written) {
    ShowRefusal(m_prompts, this, "The structure report " + report.path + " cannot be written.");
    return;
  }
  // The report stays on disk whether or not an editor shows it: the status says where.
  const std::vector<std::string> editor = DefaultEditorCommand(report.path);
  const bool shown = !editor.empty() && m_prompts.StartDetached(editor);
  if (m_status) {
    m_status(shown ? "Structure report written to " + report.path
                   : "Structure report written to " + report.path + "; no editor could be started to show it");
  }
}

void StructureSelectionDialog::CloseWindows() {
  delete m_informationWindow;
  delete m_dependenciesWindow;
  hide();
  deleteLater();
}

void StructureSelectionDialog::accept() {
  const Outcome<int> done = m_model.Ok();
  if (!done.accepted) {
    ShowRefusal(m_prompts, this, done.message);
    return;
  }
  CloseWindows();
}

void StructureSelectionDialog::reject() {
  const Outcome<int> done = m_model.Cancel();
  if (!done.accepted) {
    ShowRefusal(m_prompts, this, done.message);
    return;
  }
  CloseWindows();
}

}  // namespace korvex
