#include "ui/control_panel.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/command_texts.h"

namespace korvex {
namespace {

// The menu command each button stands for, whose prompt explains the button.
Command CommandOf(PanelButton button) {
  switch (button) {
    case PanelButton::kSelectGdsFile: return Command::SelectGdsFile;
    case PanelButton::kStructure: return Command::Structure;
    case PanelButton::kConfiguration: return Command::Configuration;
    case PanelButton::kLayerMapping: return Command::LayerMapping;
    case PanelButton::kTypeMapping: return Command::TypeMapping;
    case PanelButton::kStructureMapping: return Command::StructureMapping;
    case PanelButton::kPolygonFiltering: return Command::PolygonFiltering;
    case PanelButton::kTranslate: return Command::Translate;
    case PanelButton::kViewGdsInput: return Command::ViewGdsInput;
    case PanelButton::kViewGdsOutput: return Command::ViewGdsOutput;
    case PanelButton::kQuit: return Command::Exit;
  }
  return Command::Exit;
}

}  // namespace

CControlPanel::CControlPanel(QWidget* owner) : QDialog(owner, Qt::Tool) {
  setWindowTitle(kAppTitle);
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  for (std::size_t i = 0; i < kPanelButtonCount; ++i) {
    const auto button = static_cast<PanelButton>(i);
    m_buttons[i] = new QPushButton(QString::fromStdString(PanelCaption(button, 0, false)), this);
    m_buttons[i]->setAutoDefault(false);
    m_buttons[i]->setMinimumWidth(150);
    m_buttons[i]->setWhatsThis(QString::fromStdString(StatusPrompt(TextOf(CommandOf(button)).prompt)));
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
