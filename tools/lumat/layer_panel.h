// The layer list: one line per layer/datatype pair with its colour and pattern and a check
// box that shows or hides it.
#pragma once

#include <QWidget>
#include <vector>

#include "lumat/layer_table.h"

class QListWidget;
class QListWidgetItem;

namespace korvex::lumat {

class LayerPanel : public QWidget {
  Q_OBJECT

 public:
  explicit LayerPanel(QWidget* parent = nullptr);

  void setLayers(const LayerTable& layers);
  std::vector<bool> visibleLayers() const;
  // Ticks or clears the box of `slot` (as a click would).
  void setLayerVisible(std::uint32_t slot, bool visible);

 signals:
  void visibilityChanged(const std::vector<bool>& visible);

 private:
  void setAll(bool visible);
  void onItemChanged(QListWidgetItem* item);

  QListWidget* m_list = nullptr;
  bool m_filling = false;
};

}  // namespace korvex::lumat
