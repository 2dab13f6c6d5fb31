#include "ui/dialogs/polygon_filtering_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "ui/dialogs/dialog_support.h"

namespace korvex {
namespace {

struct FieldLabel {
  PolygonField field;
  const char* label;
};

constexpr FieldLabel kLimitFields[] = {
    {PolygonField::kMinExt, QT_TR_NOOP("Mi&n. Extent")},
    {PolygonField::kMaxExt, QT_TR_NOOP("Ma&x. Extent")},
    {PolygonField::kHWRatio, QT_TR_NOOP("Max. H&eight/Width Ratio")},
    {PolygonField::kWHRatio, QT_TR_NOOP("Max. &Width/Height Ratio")},
    {PolygonField::kAreaRatio, QT_TR_NOOP("Max. &Area Ratio")},
    {PolygonField::kMaxVertex, QT_TR_NOOP("Max. &Vertex Count")},
};

constexpr PolygonField kDebugFields[] = {PolygonField::kPolyOff, PolygonField::kVertCnt};

}  // namespace

PolygonFilteringDialog::PolygonFilteringDialog(JobSettings& settings, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), m_model(settings), m_settings(settings), m_prompts(prompts) {
  setWindowTitle(tr("Polygon Filtering"));
  m_on = new QCheckBox(tr("&Polygon Filtering (Automatic Trim and Explode)"), this);
  connect(m_on, &QCheckBox::clicked, this, &PolygonFilteringDialog::Clicked);

  auto* form = new QFormLayout;
  for (const FieldLabel& f : kLimitFields) {
    auto* field = new QLineEdit(this);
    m_fields[static_cast<std::size_t>(f.field)] = field;
    form->addRow(tr(f.label), field);
  }
  auto* debugRow = new QHBoxLayout;
  for (const PolygonField f : kDebugFields) {
    auto* field = new QLineEdit(this);
    m_fields[static_cast<std::size_t>(f)] = field;
    debugRow->addWidget(field);
  }
  for (std::size_t i = 0; i < m_fields.size(); ++i) {
    const auto field = static_cast<PolygonField>(i);
    connect(m_fields[i], &QLineEdit::textEdited, this,
            [this, field](const QString& typed) { m_model.SetField(field, FromQ(typed)); });
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  m_help = buttons->addButton(tr("&Help"), QDialogButtonBox::HelpRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &PolygonFilteringDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &PolygonFilteringDialog::reject);
  connect(m_help, &QPushButton::clicked, this, &PolygonFilteringDialog::HelpRequested);
  auto* helpKey = new QShortcut(QKeySequence::HelpContents, this);
  connect(helpKey, &QShortcut::activated, this, &PolygonFilteringDialog::HelpRequested);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_on);
  layout->addLayout(form);
  layout->addLayout(debugRow);
  layout->addWidget(buttons);

  for (const PolygonField f : kDebugFields) Field(f)->setVisible(m_model.DebugFieldsShown());
  Refresh();
}

void PolygonFilteringDialog::Refresh() {
  m_on->setChecked(m_model.pfOn);
  for (std::size_t i = 0; i < m_fields.size(); ++i) ShowText(m_fields[i], m_model.Field(static_cast<PolygonField>(i)));
  for (const FieldLabel& f : kLimitFields) Field(f.field)->setEnabled(m_model.LimitsEnabled());
}

void PolygonFilteringDialog::ShowFieldRefusal(const Outcome<PolygonField>& refusal) {
  ShowRefusal(m_prompts, this, refusal.message, refusal.focus ? Field(*refusal.focus) : nullptr);
}

void PolygonFilteringDialog::Clicked(bool ticked) {
  const Outcome<PolygonField> read = m_model.ClickPolygonFiltering(ticked);
  Refresh();
  if (!read.accepted) ShowFieldRefusal(read);
}

void PolygonFilteringDialog::accept() {
  const Outcome<PolygonField> stored = m_model.Ok(m_settings);
  Refresh();
  if (!stored.accepted) {
    ShowFieldRefusal(stored);
    return;
  }
  QDialog::accept();
}

}  // namespace korvex
