#include "ui/dialogs/structure_mapping_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "ui/dialogs/dialog_support.h"
#include "ui/dialogs/row_scroll_bar.h"
#include "ui/dialogs/scroll_actions.h"

namespace korvex {

StructureMappingDialog::StructureMappingDialog(const JobSettings& settings, std::vector<std::string> structureNames,
                                               UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), m_model(settings, std::move(structureNames)), m_refusals(prompts) {
  setWindowTitle(tr("Structures Mapping"));
  m_notice = new QLabel(ToQ(m_model.Notice()), this);
  m_notice->setWordWrap(true);
  m_notice->setVisible(!m_model.Notice().empty());

  auto* grid = new QGridLayout;
  // Wide enough for the longest scanned names; narrower, names lose their middle.
  const int nameWidth = fontMetrics().horizontalAdvance(QString(StructureMappingModel::kMaxOutputLength + 1, 'n')) + 12;
  grid->addWidget(new QLabel(tr("Input GDS Structure"), this), 0, 0);
  grid->addWidget(new QLabel(tr("Output GDS Structure"), this), 0, 1);
  for (int row = 0; row < StructureMappingModel::kRows; ++row) {
    auto* name = new QLineEdit(this);
    name->setReadOnly(true);
    name->setFocusPolicy(Qt::NoFocus);
    name->installEventFilter(this);
    auto* output = new QLineEdit(this);
    output->installEventFilter(this);
    name->setMinimumWidth(nameWidth);
    output->setMinimumWidth(nameWidth);
    m_names[static_cast<std::size_t>(row)] = name;
    m_outputs[static_cast<std::size_t>(row)] = output;
    grid->addWidget(name, row + 1, 0);
    grid->addWidget(output, row + 1, 1);
    connect(output, &QLineEdit::textEdited, this,
            [this, row](const QString& typed) { m_model.SetRowField(row, FromQ(typed)); });
  }
  m_scroll = new RowScrollBar(StructureMappingModel::kRows, this);
  m_scroll->setRange(0, m_model.MaxTopRow());
  grid->addWidget(m_scroll, 1, 2, StructureMappingModel::kRows, 1);
  connect(m_scroll, &QScrollBar::actionTriggered, this, &StructureMappingDialog::Scrolled);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  m_ok = buttons->button(QDialogButtonBox::Ok);
  m_ok->setDefault(true);
  m_ok->setEnabled(m_model.OkEnabled());
  m_help = buttons->addButton(tr("&Help"), QDialogButtonBox::HelpRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &StructureMappingDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &StructureMappingDialog::reject);
  connect(m_help, &QPushButton::clicked, this, &StructureMappingDialog::HelpRequested);
  auto* helpKey = new QShortcut(QKeySequence::HelpContents, this);
  connect(helpKey, &QShortcut::activated, this, &StructureMappingDialog::HelpRequested);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_notice);
  layout->addLayout(grid);
  layout->addWidget(buttons);
  for (int row = 0; row < StructureMappingModel::kRows; ++row) {
    const bool enabled = m_model.RowEnabled(row);
    NameField(row)->setEnabled(enabled);
    OutputField(row)->setEnabled(enabled);
  }
  Refresh();
}

void StructureMappingDialog::Refresh() {
  for (int row = 0; row < StructureMappingModel::kRows; ++row) {
    ShowElided(NameField(row), m_model.RowName(row));
    ShowText(OutputField(row), m_model.RowField(row));
    // A field not being edited shows where its name starts, as the name beside it does.
    if (!OutputField(row)->hasFocus()) OutputField(row)->setCursorPosition(0);
    OutputField(row)->setToolTip(ToQ(m_model.RowField(row)));
  }
  m_scroll->setSliderPosition(m_model.TopRow());
}

void StructureMappingDialog::ShowRowRefusal(const Outcome<int>& refusal) {
  // While the message is up, an arrow held down would repeat the refused step, each
  // repeat raising the message again.
  m_scroll->StopAction();
  m_refusals.Show(this, refusal.message, refusal.focus ? OutputField(*refusal.focus) : nullptr);
}

// The row whose field has the focus is taken in as if the focus had left it, as it does
// when the user clicks a button or the scroll bar.
void StructureMappingDialog::TakeInEditedRow() {
  for (int row = 0; row < StructureMappingModel::kRows; ++row) {
    if (focusWidget() == OutputField(row)) {
      m_model.LeaveField(row);
      ShowText(OutputField(row), m_model.RowField(row));
    }
  }
}

void StructureMappingDialog::Scrolled(int action) {
  if (m_refusals.Showing()) return;
  TakeInEditedRow();
  const Outcome<int> scrolled = m_model.Scroll(ScrollActionOf(action), m_scroll->sliderPosition());
  Refresh();
  if (!scrolled.accepted) ShowRowRefusal(scrolled);
}

void StructureMappingDialog::accept() {
  TakeInEditedRow();
  const Outcome<int> saved = m_model.Ok();
  Refresh();
  if (!saved.accepted) {
    ShowRowRefusal(saved);
    return;
  }
  QDialog::accept();
}

bool StructureMappingDialog::eventFilter(QObject* watched, QEvent* event) {
  for (int row = 0; row < StructureMappingModel::kRows; ++row) {
    if (watched == NameField(row) && event->type() == QEvent::Resize) {
      ShowElided(NameField(row), m_model.RowName(row));
      continue;
    }
    if (watched != OutputField(row)) continue;
    if (event->type() == QEvent::FocusOut) {
      // Leaving a field stores its name (an emptied one gets the structure's own name
      // back); uniqueness is checked when scrolling and on OK.
      m_model.LeaveField(row);
      ShowText(OutputField(row), m_model.RowField(row));
      OutputField(row)->setToolTip(ToQ(m_model.RowField(row)));
      if (LeftByUser(event)) OutputField(row)->setCursorPosition(0);
    } else if (PageRowsByKey(event, m_scroll)) {
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace korvex
