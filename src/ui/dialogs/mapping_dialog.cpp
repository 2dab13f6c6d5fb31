#include "ui/dialogs/mapping_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "ui/dialogs/dialog_support.h"
#include "ui/dialogs/mapping_rules_dialog.h"
#include "ui/dialogs/row_scroll_bar.h"
#include "ui/dialogs/scroll_actions.h"

namespace korvex {
namespace {

constexpr int kSlotsPerColumn = MappingModel::kSlots / 2;

}  // namespace

MappingDialog::MappingDialog(MappingKind kind, JobSettings& settings, const std::vector<std::string>& scanned,
                             UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), m_model(kind, settings, scanned), m_settings(settings), m_prompts(prompts), m_refusals(prompts) {
  setWindowTitle(tr("Mapping"));
  m_runRules = [this](QWidget* owner, const std::string& ruleList) {
    return RunMappingRulesDialog(owner, ruleList, m_prompts);
  };

  auto* rows = new QHBoxLayout;
  for (std::size_t c = 0; c < m_columns.size(); ++c) {
    m_columns[c] = MakeColumn(static_cast<int>(c) * kSlotsPerColumn);
    rows->addWidget(m_columns[c]);
  }
  m_scroll = new RowScrollBar(MappingModel::kSlots, this);
  rows->addWidget(m_scroll);
  connect(m_scroll, &QScrollBar::actionTriggered, this, &MappingDialog::Scrolled);

  m_mapAllTo = new QPushButton(tr("&Map All To"), this);
  m_mapAllToField = new QLineEdit(this);
  m_mapAllToField->setMaximumWidth(60);
  m_mapAllToField->installEventFilter(this);
  m_mapAllToItself = new QPushButton(tr("Map All To &Itself"), this);
  m_advanceRules = new QPushButton(tr("&Advance Rules..."), this);
  auto* tools = new QHBoxLayout;
  tools->addWidget(m_mapAllTo);
  tools->addWidget(m_mapAllToField);
  tools->addWidget(m_mapAllToItself);
  tools->addWidget(m_advanceRules);
  tools->addStretch();
  connect(m_mapAllToField, &QLineEdit::textEdited, this,
          [this](const QString& typed) { m_model.mapAllToField = FromQ(typed); });
  connect(m_mapAllTo, &QPushButton::clicked, this, &MappingDialog::MapAllTo);
  connect(m_mapAllToItself, &QPushButton::clicked, this, [this] {
    m_model.MapAllToItself();
    Refresh();
  });
  connect(m_advanceRules, &QPushButton::clicked, this, &MappingDialog::AdvanceRules);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  m_cancel = buttons->button(QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &MappingDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &MappingDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(rows);
  layout->addLayout(tools);
  layout->addWidget(buttons);
  Refresh();
}

QWidget* MappingDialog::MakeColumn(int firstSlot) {
  auto* column = new QWidget(this);
  auto* grid = new QGridLayout(column);
  grid->setColumnStretch(2, 1);  // spare width goes beside the rows, not between label and field
  const QString label = ToQ(m_model.ColumnLabel());
  grid->addWidget(new QLabel(tr("Input GDS"), column), 0, 0);
  grid->addWidget(new QLabel(tr("Output GDS"), column), 0, 1);
  grid->addWidget(new QLabel(label, column), 1, 0);
  grid->addWidget(new QLabel(label, column), 1, 1);
  for (int i = 0; i < kSlotsPerColumn; ++i) {
    const int slot = firstSlot + i;
    auto* input = new QLabel(column);
    auto* output = new QLineEdit(column);
    output->setMaximumWidth(90);
    output->installEventFilter(this);
    m_labels[static_cast<std::size_t>(slot)] = input;
    m_fields[static_cast<std::size_t>(slot)] = output;
    grid->addWidget(input, 2 + i, 0);
    grid->addWidget(output, 2 + i, 1);
    connect(output, &QLineEdit::textEdited, this,
            [this, slot](const QString& typed) { m_model.SetSlotField(slot, FromQ(typed)); });
  }
  return column;
}

void MappingDialog::Refresh() {
  for (int slot = 0; slot < MappingModel::kSlots; ++slot) {
    SlotLabel(slot)->setText(ToQ(m_model.SlotLabel(slot)));
    ShowText(SlotField(slot), m_model.SlotField(slot));
    // Fewer rows than slots: the rest would be fields that take text nobody reads.
    const bool shown = m_model.SlotHasRow(slot);
    SlotLabel(slot)->setVisible(shown);
    SlotField(slot)->setVisible(shown);
  }
  // A second column without rows would show its headings over nothing; the first keeps
  // them, so a dialog without rows still says what it maps.
  m_columns[1]->setVisible(m_model.SlotHasRow(kSlotsPerColumn));
  m_scroll->setRange(0, m_model.MaxTopRow());
  m_scroll->setSliderPosition(m_model.TopRow());
}

QWidget* MappingDialog::FieldToBlame(const Outcome<int>& refusal) const {
  return refusal.focus ? SlotField(*refusal.focus) : nullptr;
}

void MappingDialog::Refuse(const Outcome<int>& refusal, QWidget* field) {
  m_scroll->StopAction();
  m_refusals.Show(this, refusal.message, field);
}

void MappingDialog::Scrolled(int action) {
  if (m_refusals.Showing()) return;
  const Outcome<int> scrolled = m_model.Scroll(ScrollActionOf(action), m_scroll->sliderPosition());
  // The model decides where the view stands; the bar follows it.
  Refresh();
  if (!scrolled.accepted) Refuse(scrolled, FieldToBlame(scrolled));
}

void MappingDialog::AdvanceRules() {
  const Outcome<int> taken = m_model.BeginAdvanceRules();
  if (!taken.accepted) {
    Refuse(taken, FieldToBlame(taken));
    return;
  }
  m_model.EndAdvanceRules(m_runRules(this, m_model.RuleList()));
  Refresh();
}

void MappingDialog::MapAllTo() {
  const Outcome<int> mapped = m_model.MapAllTo();
  Refresh();
  if (!mapped.accepted) Refuse(mapped, m_mapAllToField);
}

void MappingDialog::accept() {
  const Outcome<int> stored = m_model.Ok(m_settings);
  if (!stored.accepted) {
    Refresh();
    Refuse(stored, FieldToBlame(stored));
    return;
  }
  QDialog::accept();
}

void MappingDialog::FieldLeft(QLineEdit* field) {
  CheckWhenSettled(this, field, m_cancel, [this, field] {
    for (int slot = 0; slot < MappingModel::kSlots; ++slot) {
      if (field != SlotField(slot)) continue;
      const Outcome<int> left = m_model.LeaveSlot(slot);
      if (!left.accepted) Refuse(left, field);
      return;
    }
    const Outcome<int> left = m_model.LeaveMapAllTo();
    if (!left.accepted) Refuse(left, field);
  });
}

bool MappingDialog::eventFilter(QObject* watched, QEvent* event) {
  if (LeftByUser(event)) {
    if (auto* field = qobject_cast<QLineEdit*>(watched)) FieldLeft(field);
  }
  if (watched != m_mapAllToField && PageRowsByKey(event, m_scroll)) return true;
  return QDialog::eventFilter(watched, event);
}

void MappingDialog::wheelEvent(QWheelEvent* event) {
  const int steps = event->angleDelta().y() / 120;
  for (int i = 0; i < std::abs(steps); ++i) {
    m_scroll->triggerAction(steps > 0 ? QAbstractSlider::SliderSingleStepSub : QAbstractSlider::SliderSingleStepAdd);
  }
  event->accept();
}

}  // namespace korvex
