#include "ui/control_panel.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/command_texts.h"

namespace korvex {

CControlPanel::CControlPanel(QWidget* owner) : QDialog(owner, Qt::Tool) {
  setWindowTitle(kAppTitle);
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  for (std::size_t i = 0; i < kPanelButtonCount; ++i) {
    const auto button = static_cast<PanelButton>(i);
    m_buttons[i] = new QPushButton(QString::fromStdString(PanelCaption(button, 0, false)), this);
    m_buttons[i]->setAutoDefault(false);
    m_buttons[i]->setMinimumWidth(150);
    connect(m_buttons[i], &QPushButton::clicked, this, [this, button] { emit ButtonPressed(button); });
    layout->addWidget(m_buttons[i]);
    if (button == PanelButton::kPolygonFiltering || button == PanelButton::kViewGdsOutput) layout->addSpacing(8);
  }
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CControlPanel::SetEnabling(const PanelEnabling& enabling) {
  for (std::size_t i = 0; i < kPanelButtonCount; ++i) m_buttons[i]->setEnabled(enabling[i]);
}

void CControlPanel::SetTranslateCaption(const QString& caption) { Button(PanelButton::kTranslate)->setText(caption); }

void CControlPanel::reject() { emit CloseRequested(); }

void CControlPanel::closeEvent(QCloseEvent* event) {
  // Hidden by the owner's toggle, never destroyed.
  event->ignore();
  emit CloseRequested();
}

}  // namespace korvex
