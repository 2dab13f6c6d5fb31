#include "ui/find_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace korvex {

CFindDialog::CFindDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("Find"));
  m_text = new QLineEdit(this);
  auto* label = new QLabel(tr("Fi&nd what:"), this);
  label->setBuddy(m_text);
  m_matchCase = new QCheckBox(tr("Match &case"), this);
  auto* direction = new QGroupBox(tr("Direction"), this);
  m_up = new QRadioButton(tr("&Up"), direction);
  m_down = new QRadioButton(tr("&Down"), direction);
  m_down->setChecked(true);
  auto* directionLayout = new QHBoxLayout(direction);
  directionLayout->addWidget(m_up);
  directionLayout->addWidget(m_down);

  auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
  m_findNext = buttons->addButton(tr("&Find Next"), QDialogButtonBox::ActionRole);
  m_findNext->setDefault(true);
  m_findNext->setEnabled(false);
  buttons->addButton(QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
  connect(m_text, &QLineEdit::textChanged, this, [this](const QString& t) { m_findNext->setEnabled(!t.isEmpty()); });
  connect(m_findNext, &QPushButton::clicked, this, [this] { emit FindNext(Request()); });

  auto* fields = new QVBoxLayout;
  auto* row = new QHBoxLayout;
  row->addWidget(label);
  row->addWidget(m_text);
  fields->addLayout(row);
  auto* options = new QHBoxLayout;
  options->addWidget(m_matchCase);
  options->addWidget(direction);
  fields->addLayout(options);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(buttons);
}

FindRequest CFindDialog::Request() const { return {m_text->text(), m_matchCase->isChecked(), m_down->isChecked()}; }

void CFindDialog::SetRequest(const FindRequest& request) {
  m_text->setText(request.text);
  m_text->selectAll();
  m_matchCase->setChecked(request.matchCase);
  (request.down ? m_down : m_up)->setChecked(true);
}

}  // namespace korvex
