#include "ui/dialogs/inex_page.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "ui/dialogs/dialog_support.h"

namespace korvex {

CInexPage::CInexPage(InexModel& model, QWidget* parent) : QWidget(parent), m_model(model) {
  m_notice = new QLabel(this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_notice);
  auto* halves = new QHBoxLayout;
  halves->addWidget(MakeHalf(MappingKind::kLayers, m_layers, " Layers ", tr("&Include"), tr("&Exclude")));
  halves->addWidget(
      MakeHalf(MappingKind::kDatatypes, m_datatypes, " Data/Box/Node/Text ", tr("I&nclude"), tr("Ex&clude")));
  layout->addLayout(halves);
  Refresh();
}

QWidget* CInexPage::MakeHalf(MappingKind kind, Half& half, const QString& title, const QString& include,
                             const QString& exclude) {
  auto* group = new QGroupBox(title, this);
  half.list = new QListWidget(group);
  // A click toggles one entry: the scan selects everything, and one stray click must not
  // throw that selection away.
  half.list->setSelectionMode(QAbstractItemView::MultiSelection);
  for (const std::string& entry : m_model.Choice(kind).entries) half.list->addItem(ToQ(entry));
  half.field = new QLineEdit(group);
  half.caption = BuddyLabel("", half.field, group);
  half.include = new QRadioButton(include, group);
  half.exclude = new QRadioButton(exclude, group);

  auto* radios = new QHBoxLayout;
  radios->addWidget(half.include);
  radios->addWidget(half.exclude);
  auto* column = new QVBoxLayout(group);
  column->addWidget(half.list, 1);
  column->addWidget(half.caption);
  column->addWidget(half.field);
  column->addLayout(radios);

  connect(half.list, &QListWidget::itemSelectionChanged, this, [this, kind, &half] {
    std::vector<bool> selected;
    for (int row = 0; row < half.list->count(); ++row) selected.push_back(half.list->item(row)->isSelected());
    m_model.SetSelection(kind, std::move(selected));
    ShowText(half.field, m_model.Choice(kind).field);
  });
  connect(half.field, &QLineEdit::textEdited, this,
          [this, kind](const QString& typed) { m_model.SetField(kind, FromQ(typed)); });
  connect(half.include, &QRadioButton::clicked, this, [this, kind, &half] {
    m_model.SetExclude(kind, 0);
    RefreshHalf(kind, half);
  });
  connect(half.exclude, &QRadioButton::clicked, this, [this, kind, &half] {
    m_model.SetExclude(kind, 1);
    RefreshHalf(kind, half);
  });
  return group;
}

void CInexPage::RefreshHalf(MappingKind kind, Half& half) {
  const InexChoice& choice = m_model.Choice(kind);
  const bool enabled = m_model.ControlsEnabled();
  {
    const QSignalBlocker quiet(half.list);
    for (int row = 0; row < half.list->count(); ++row) {
      half.list->item(row)->setSelected(choice.selected[static_cast<std::size_t>(row)]);
    }
  }
  // The caption's mnemonic leads to the field under it.
  half.caption->setText("&" + ToQ(m_model.Caption(kind)));
  ShowText(half.field, choice.field);
  (choice.exclude != 0 ? half.exclude : half.include)->setChecked(true);
  for (QWidget* control : {static_cast<QWidget*>(half.list), static_cast<QWidget*>(half.field),
                           static_cast<QWidget*>(half.include), static_cast<QWidget*>(half.exclude),
                           static_cast<QWidget*>(half.caption)}) {
    control->setEnabled(enabled);
  }
}

void CInexPage::Refresh() {
  m_notice->setText(ToQ(m_model.Notice()));
  RefreshHalf(MappingKind::kLayers, m_layers);
  RefreshHalf(MappingKind::kDatatypes, m_datatypes);
}

}  // namespace korvex
