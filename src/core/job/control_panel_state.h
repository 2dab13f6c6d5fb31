#pragma once

#include <vector>

namespace korvex {

// The buttons of the control panel, top to bottom.
enum class PanelButton {
  kSelectGdsFile,
  kStructure,
  kConfiguration,
  kLayerMapping,
  kTypeMapping,
  kStructureMapping,
  kPolygonFiltering,
  kTranslate,
  kViewGdsInput,
  kViewGdsOutput,
  kQuit,
};

struct ButtonState {
  PanelButton button;
  bool enabled;

  bool operator==(const ButtonState&) const = default;
};

// The mapping and polygon-filtering buttons serve plain translation only.
std::vector<ButtonState> MappingButtonStates(int mergeMode);

// After a successful scan: the job buttons open, View GDS Output closes until a translation.
std::vector<ButtonState> PanelStateAfterScan(int mergeMode);

// After a translation that finished.
std::vector<ButtonState> PanelStateAfterTranslation();

}  // namespace korvex
