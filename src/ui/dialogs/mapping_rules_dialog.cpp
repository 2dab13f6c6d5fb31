#include "ui/dialogs/mapping_rules_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/dialogs/dialog_support.h"

namespace korvex {

MappingRulesDialog::MappingRulesDialog(const std::string& ruleList, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), m_model(ruleList), m_refusals(prompts) {
  setWindowTitle(tr("Mapping Rules"));
  auto* grid = new QGridLayout;
  const QString labels[] = {tr("Map &Range"), tr("&to"), tr("To Ran&ge"), tr("t&o")};
  std::string RuleFields::*const texts[] = {&RuleFields::a, &RuleFields::b, &RuleFields::c, &RuleFields::d};
  for (std::size_t i = 0; i < m_fields.size(); ++i) {
    auto* field = new QLineEdit(this);
    field->setMaximumWidth(80);
    field->installEventFilter(this);
    m_fields[i] = field;
    const int row = static_cast<int>(i / 2);
    const int column = static_cast<int>(i % 2) * 2;
    grid->addWidget(BuddyLabel(labels[i], field, this), row, column);
    grid->addWidget(field, row, column + 1);
    std::string RuleFields::*text = texts[i];
    connect(field, &QLineEdit::textEdited, this, [this, text](const QString& typed) { m_model.fields.*text = FromQ(typed); });
  }

  m_add = new QPushButton(tr("&Add"), this);
  m_remove = new QPushButton(tr("Re&move"), this);
  m_add->setDefault(true);
  auto* ruleButtons = new QHBoxLayout;
  ruleButtons->addWidget(m_add);
  ruleButtons->addWidget(m_remove);
  ruleButtons->addStretch();

  m_list = new QListWidget(this);
  m_list->setSelectionMode(QAbstractItemView::SingleSelection);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  m_cancel = buttons->button(QDialogButtonBox::Cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(ruleButtons);
  layout->addWidget(m_list);
  layout->addWidget(buttons);

  connect(m_add, &QPushButton::clicked, this, &MappingRulesDialog::Add);
  connect(m_remove, &QPushButton::clicked, this, &MappingRulesDialog::Remove);
  connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
    m_model.Select(row < 0 ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(row)));
  });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  ShowEntries();
}

void MappingRulesDialog::ShowEntries() {
  const QSignalBlocker quiet(m_list);
  m_list->clear();
  for (const std::string& entry : m_model.Entries()) m_list->addItem(ToQ(entry));
  if (const std::optional<std::size_t> selected = m_model.Selection()) {
    m_list->setCurrentRow(static_cast<int>(*selected));
  }
}

void MappingRulesDialog::Add() {
  const Outcome<RuleField> added = m_model.Add();
  ShowEntries();
  if (!added.accepted) {
    m_refusals.Show(this, added.message, added.focus ? Field(*added.focus) : nullptr);
  }
}

bool MappingRulesDialog::eventFilter(QObject* watched, QEvent* event) {
  for (std::size_t i = 0; i < m_fields.size(); ++i) {
    QLineEdit* field = m_fields[i];
    if (watched != field || !LeftByUser(event)) continue;
    CheckWhenSettled(this, field, m_cancel, [this, field, i] {
      // A field still empty is only missed when a rule is added.
      if (field->text().trimmed().isEmpty()) return;
      const std::string message = CheckRuleField(static_cast<RuleField>(i), FromQ(field->text()));
      if (!message.empty()) m_refusals.Show(this, message, field);
    });
  }
  return QDialog::eventFilter(watched, event);
}

void MappingRulesDialog::Remove() {
  m_model.Remove();
  ShowEntries();
}

std::optional<std::string> RunMappingRulesDialog(QWidget* parent, const std::string& ruleList, UserPrompts& prompts) {
  MappingRulesDialog dialog(ruleList, prompts, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.RuleList();
}

}  // namespace korvex
