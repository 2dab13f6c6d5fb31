#include "ui/dialogs/cfg_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/dialogs/dialog_support.h"

namespace korvex {

CCfgPage::CCfgPage(CfgPageModel& model, QWidget* parent) : QWidget(parent), m_model(model) {
  // Widgets are made top to bottom, which is also their tab order.
  auto* merger = new QGroupBox(" GDS Merger ", this);
  auto* mergerGrid = new QGridLayout(merger);
  mergerGrid->addWidget(AddBox(CfgControl::kMerger, tr("&Merger")), 0, 0);
  mergerGrid->addWidget(AddBox(CfgControl::kAdder, tr("A&dder")), 0, 1);
  mergerGrid->addWidget(AddBox(CfgControl::kBlender, tr("&Blender")), 0, 2);
  mergerGrid->addWidget(AddBox(CfgControl::kCombine, tr("&Combine")), 1, 0);
  QLineEdit* newTop = AddField(CfgControl::kNewTopName, &CfgPageModel::newTopName);
  m_newTopLabel = BuddyLabel(tr("&New Top Structure Name"), newTop, merger);
  mergerGrid->addWidget(m_newTopLabel, 2, 0, 1, 3);
  mergerGrid->addWidget(newTop, 3, 0, 1, 3);

  auto* translation = new QGroupBox(" Translation Settings ", this);
  auto* translationGrid = new QGridLayout(translation);
  QLineEdit* minWidth = AddField(CfgControl::kMinWidth, &CfgPageModel::minWidth);
  translationGrid->addWidget(BuddyLabel(tr("Min. Path &Width"), minWidth, translation), 0, 0);
  translationGrid->addWidget(minWidth, 0, 1);
  QLineEdit* maxText = AddField(CfgControl::kMaxText, &CfgPageModel::maxText);
  translationGrid->addWidget(BuddyLabel(tr("Drop &Text Greater Than"), maxText, translation), 1, 0);
  translationGrid->addWidget(maxText, 1, 1);
  translationGrid->addWidget(AddBox(CfgControl::kUnfold, tr("Un&fold Path Data")), 2, 0);
  translationGrid->addWidget(AddBox(CfgControl::kExplode, tr("&Explode")), 2, 1);

  auto* names = new QGroupBox(" Names Control ", this);
  auto* namesGrid = new QGridLayout(names);
  namesGrid->addWidget(AddBox(CfgControl::kPrune, tr("Trim &Off Empty Trees")), 0, 0, 1, 2);
  namesGrid->addWidget(AddBox(CfgControl::kFixNames, tr("Fix Dub&ious Names")), 1, 0, 1, 2);
  namesGrid->addWidget(AddBox(CfgControl::kSpecifyCase, tr("Fix Names/&Specify Case")), 2, 0, 1, 2);
  m_upper = new QRadioButton(tr("&Upper Case"), names);
  m_lower = new QRadioButton(tr("&Lower Case"), names);
  namesGrid->addWidget(m_upper, 3, 0);
  namesGrid->addWidget(m_lower, 3, 1);
  m_controls[static_cast<std::size_t>(CfgControl::kCaseRadios)] = m_upper;
  connect(m_upper, &QRadioButton::clicked, this, [this] { m_model.lowerCase = 0; });
  connect(m_lower, &QRadioButton::clicked, this, [this] { m_model.lowerCase = 1; });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(merger);
  layout->addWidget(translation);
  layout->addWidget(names);
  layout->addStretch();
  Refresh();
}

QCheckBox* CCfgPage::AddBox(CfgControl control, const QString& text) {
  auto* box = new QCheckBox(text, this);
  m_controls[static_cast<std::size_t>(control)] = box;
  connect(box, &QCheckBox::clicked, this, [this, control](bool ticked) {
    m_model.SetTicked(control, ticked);
    Refresh();
  });
  return box;
}

QLineEdit* CCfgPage::AddField(CfgControl control, std::string CfgPageModel::*text) {
  auto* field = new QLineEdit(this);
  m_controls[static_cast<std::size_t>(control)] = field;
  connect(field, &QLineEdit::textEdited, this, [this, text](const QString& typed) { m_model.*text = FromQ(typed); });
  return field;
}

QCheckBox* CCfgPage::Box(CfgControl control) const { return qobject_cast<QCheckBox*>(Control(control)); }

QLineEdit* CCfgPage::Field(CfgControl control) const { return qobject_cast<QLineEdit*>(Control(control)); }

void CCfgPage::Refresh() {
  for (std::size_t i = 0; i < kCfgControlCount; ++i) {
    const auto control = static_cast<CfgControl>(i);
    m_controls[i]->setEnabled(m_model.Enabled(control));
    if (QCheckBox* box = Box(control)) box->setChecked(m_model.Ticked(control));
  }
  ShowText(Field(CfgControl::kNewTopName), m_model.newTopName);
  ShowText(Field(CfgControl::kMinWidth), m_model.minWidth);
  ShowText(Field(CfgControl::kMaxText), m_model.maxText);
  m_newTopLabel->setEnabled(m_model.Enabled(CfgControl::kNewTopName));
  m_lower->setEnabled(m_model.Enabled(CfgControl::kCaseRadios));
  (m_model.lowerCase != 0 ? m_lower : m_upper)->setChecked(true);
}

}  // namespace korvex
