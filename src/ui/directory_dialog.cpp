#include "ui/directory_dialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include "ui/command_texts.h"
#include "ui/user_prompts.h"

namespace korvex {

std::string DirectoryMissingMessage(const std::string& typed) { return typed + ".  The directory does not exist."; }

CDirectoryDialog::CDirectoryDialog(const QString& oldDirectory, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent),
      m_prompts(prompts),
      m_browser(QDir::currentPath().toStdString(), QDir::homePath().toStdString()) {
  setWindowTitle(tr("Directory"));
  m_old = new QLineEdit(oldDirectory, this);
  m_old->setReadOnly(true);
  auto* oldLabel = new QLabel(tr("&Old Directory:"), this);
  oldLabel->setBuddy(m_old);

  auto* group = new QGroupBox(tr("New Directory"), this);
  m_path = new QLineEdit(group);
  m_subdirectories = new QListWidget(group);
  m_places = new QListWidget(group);
  auto* subLabel = new QLabel(tr("&Subdirectories:"), group);
  subLabel->setBuddy(m_subdirectories);
  auto* placeLabel = new QLabel(tr("&Places:"), group);
  placeLabel->setBuddy(m_places);
  auto* grid = new QGridLayout(group);
  grid->addWidget(m_path, 0, 0, 1, 2);
  grid->addWidget(subLabel, 1, 0);
  grid->addWidget(placeLabel, 1, 1);
  grid->addWidget(m_subdirectories, 2, 0);
  grid->addWidget(m_places, 2, 1);
  grid->setColumnStretch(0, 2);
  grid->setColumnStretch(1, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CDirectoryDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(m_path, &QLineEdit::editingFinished, this, &CDirectoryDialog::PathEdited);
  connect(m_subdirectories, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { OpenSubdirectory(item->text()); });
  connect(m_places, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { OpenPlace(item->text()); });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(oldLabel);
  layout->addWidget(m_old);
  layout->addWidget(group);
  layout->addWidget(buttons);
  resize(520, 380);

  for (const std::string& place : VolumePlaces(ReadMountTable(), QDir::homePath().toStdString())) {
    m_places->addItem(QString::fromStdString(place));
  }
  Refresh();
}

QString CDirectoryDialog::Directory() const { return QString::fromStdString(m_browser.Current()); }

void CDirectoryDialog::Refresh() {
  m_invalid = false;
  m_path->setText(Directory());
  m_path->setStyleSheet({});
  m_subdirectories->clear();
  for (const std::string& name : m_browser.Subdirectories()) m_subdirectories->addItem(QString::fromStdString(name));
}

void CDirectoryDialog::TypePath(const QString& text) {
  m_path->setText(text);
  PathEdited();
}

void CDirectoryDialog::PathEdited() {
  const QString typed = m_path->text();
  if (typed == Directory()) return;
  if (m_browser.MoveTo(typed.toStdString())) {
    Refresh();
  } else {
    m_invalid = true;
    m_path->setStyleSheet("color: red");
  }
}

void CDirectoryDialog::OpenSubdirectory(const QString& name) {
  if (m_browser.MoveTo(name.toStdString())) Refresh();
}

void CDirectoryDialog::OpenPlace(const QString& place) {
  if (m_browser.MoveTo(place.toStdString())) Refresh();
}

bool CDirectoryDialog::Confirm() {
  PathEdited();
  if (m_invalid) {
    m_prompts.Message(this, kAppTitle, DirectoryMissingMessage(m_path->text().toStdString()), MessageIcon::kWarning);
    return false;
  }
  return true;
}

void CDirectoryDialog::accept() {
  if (Confirm()) QDialog::accept();
}

}  // namespace korvex
