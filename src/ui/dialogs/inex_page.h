#pragma once

#include <QWidget>

#include "core/options/inex_model.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;

namespace korvex {

// The "Include/Exclude" page: for layers and for datatypes, the scanned numbers to pick
// from, the list as text, and whether it names what to include or what to exclude.
class CInexPage : public QWidget {
  Q_OBJECT

 public:
  explicit CInexPage(InexModel& model, QWidget* parent = nullptr);

  void Refresh();

  // The controls of one kind, for focus and tests.
  struct Half {
    QListWidget* list = nullptr;
    QLabel* caption = nullptr;
    QLineEdit* field = nullptr;
    QRadioButton* include = nullptr;
    QRadioButton* exclude = nullptr;
  };
  const Half& Controls(MappingKind kind) const { return kind == MappingKind::kLayers ? m_layers : m_datatypes; }
  QLabel* Notice() const { return m_notice; }

 private:
  QWidget* MakeHalf(MappingKind kind, Half& half, const QString& title, const QString& include,
                    const QString& exclude);
  void RefreshHalf(MappingKind kind, Half& half);

  InexModel& m_model;
  QLabel* m_notice = nullptr;
  Half m_layers;
  Half m_datatypes;
};

}  // namespace korvex
