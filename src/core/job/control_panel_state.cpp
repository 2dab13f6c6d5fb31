#include "core/job/control_panel_state.h"

#include "core/job/job_settings.h"

namespace korvex {

std::vector<ButtonState> MappingButtonStates(int mergeMode) {
  const bool plain = mergeMode == kMergeModePlain;
  return {{PanelButton::kLayerMapping, plain},
          {PanelButton::kTypeMapping, plain},
          {PanelButton::kStructureMapping, plain},
          {PanelButton::kPolygonFiltering, plain}};
}

std::vector<ButtonState> PanelStateAfterScan(int mergeMode) {
  std::vector<ButtonState> states = {{PanelButton::kStructure, true}, {PanelButton::kConfiguration, true}};
  for (const ButtonState& state : MappingButtonStates(mergeMode)) states.push_back(state);
  states.push_back({PanelButton::kTranslate, true});
  states.push_back({PanelButton::kViewGdsInput, true});
  states.push_back({PanelButton::kViewGdsOutput, false});
  return states;
}

std::vector<ButtonState> PanelStateAfterTranslation() { return {{PanelButton::kViewGdsOutput, true}}; }

}  // namespace korvex
