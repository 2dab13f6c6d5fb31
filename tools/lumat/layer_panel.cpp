#include "lumat/layer_panel.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "lumat/layer_style.h"

namespace korvex::lumat {

LayerPanel::LayerPanel(QWidget* parent) : QWidget(parent) {
  m_list = new QListWidget(this);
  m_list->setUniformItemSizes(true);
  auto* show_all = new QPushButton(tr("Show all"), this);
  auto* hide_all = new QPushButton(tr("Hide all"), this);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(show_all);
  buttons->addWidget(hide_all);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(m_list);
  layout->addLayout(buttons);
  connect(show_all, &QPushButton::clicked, this, [this] { setAll(true); });
  connect(hide_all, &QPushButton::clicked, this, [this] { setAll(false); });
  connect(m_list, &QListWidget::itemChanged, this, &LayerPanel::onItemChanged);
}

void LayerPanel::setLayers(const LayerTable& layers) {
  m_filling = true;
  m_list->clear();
  for (std::uint32_t slot = 0; slot < layers.size(); ++slot) {
    const LayerKey key = layers.key(slot);
    auto* item = new QListWidgetItem(SwatchOf(StyleOfSlot(slot)), tr("%1/%2").arg(LayerOf(key)).arg(DatatypeOf(key)));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
    m_list->addItem(item);
  }
  m_filling = false;
}

std::vector<bool> LayerPanel::visibleLayers() const {
  std::vector<bool> visible(static_cast<std::size_t>(m_list->count()));
  for (int i = 0; i < m_list->count(); ++i) visible[std::size_t(i)] = m_list->item(i)->checkState() == Qt::Checked;
  return visible;
}

void LayerPanel::setLayerVisible(std::uint32_t slot, bool visible) {
  if (QListWidgetItem* item = m_list->item(int(slot))) item->setCheckState(visible ? Qt::Checked : Qt::Unchecked);
}

void LayerPanel::setAll(bool visible) {
  m_filling = true;
  for (int i = 0; i < m_list->count(); ++i) m_list->item(i)->setCheckState(visible ? Qt::Checked : Qt::Unchecked);
  m_filling = false;
  emit visibilityChanged(visibleLayers());
}

void LayerPanel::onItemChanged(QListWidgetItem*) {
  if (!m_filling) emit visibilityChanged(visibleLayers());
}

}  // namespace korvex::lumat
