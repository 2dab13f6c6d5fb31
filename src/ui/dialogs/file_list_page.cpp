#include "ui/dialogs/file_list_page.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialogs/dialog_support.h"
#include "ui/file_filters.h"
#include "ui/user_prompts.h"

namespace korvex {

CFileList::CFileList(FileListModel& model, JobSettings& settings, UserPrompts& prompts, QWidget* parent)
    : QWidget(parent), m_model(model), m_settings(settings), m_prompts(prompts) {
  m_list = new QListWidget(this);
  m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_caption = new QLabel(this);
  m_remove = new QPushButton(tr("&Remove"), this);
  m_add = new QPushButton(tr("&Add Files..."), this);
  // Enter belongs to the sheet's OK, not to the page's buttons.
  m_remove->setAutoDefault(false);
  m_add->setAutoDefault(false);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(m_remove);
  buttons->addWidget(m_add);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_list, 1);
  layout->addWidget(m_caption);
  layout->addLayout(buttons);

  connect(m_add, &QPushButton::clicked, this, &CFileList::AddFiles);
  connect(m_remove, &QPushButton::clicked, this, &CFileList::RemoveFiles);
  Refresh();
}

void CFileList::Refresh() {
  const std::vector<std::string>& entries = m_model.Entries();
  m_list->clear();
  for (const std::string& entry : entries) m_list->addItem(ToQ(entry));
  m_caption->setText(ToQ(m_model.Caption()));
  for (QWidget* control : {static_cast<QWidget*>(m_list), static_cast<QWidget*>(m_remove),
                           static_cast<QWidget*>(m_add)}) {
    control->setEnabled(m_model.ControlsEnabled());
  }
}

void CFileList::AddFiles() {
  FileQuestion question;
  question.title = kAddFilesTitle;
  question.filter = kGdsFileTypes;
  question.defaultExtension = "gds";
  question.initialPath = m_settings.InputFile;  // the dialog opens in the input file's folder
  question.mustExist = true;
  const std::optional<std::vector<std::string>> chosen = m_chooseFiles(this, question);
  if (!chosen) return;
  const Outcome<int> added = m_model.AddFiles(*chosen, m_settings);
  Refresh();
  if (!added.accepted) ShowRefusal(m_prompts, this, added.message);
}

void CFileList::RemoveFiles() {
  std::vector<bool> selected;
  for (int row = 0; row < m_list->count(); ++row) selected.push_back(m_list->item(row)->isSelected());
  m_model.SetSelection(std::move(selected));
  m_model.Remove(m_settings);
  Refresh();
}

}  // namespace korvex
