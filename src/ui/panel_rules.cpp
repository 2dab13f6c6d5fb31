#include "ui/panel_rules.h"

namespace korvex {

PanelEnabling InitialPanelEnabling() {
  PanelEnabling enabling{};
  enabling[static_cast<std::size_t>(PanelButton::kSelectGdsFile)] = true;
  enabling[static_cast<std::size_t>(PanelButton::kQuit)] = true;
  return enabling;
}

PanelEnabling ApplyButtonStates(PanelEnabling enabling, const std::vector<ButtonState>& states) {
  for (const ButtonState& state : states) {
    const auto index = static_cast<std::size_t>(state.button);
    if (index < enabling.size()) enabling[index] = state.enabled;
  }
  return enabling;
}

std::vector<ButtonState> PanelStateAfterConfiguration(int mergeMode) {
  std::vector<ButtonState> states = {{PanelButton::kTranslate, true}};
  for (const ButtonState& state : MappingButtonStates(mergeMode)) states.push_back(state);
  return states;
}

std::string PanelCaption(PanelButton button, int mergeMode, bool running) {
  switch (button) {
    case PanelButton::kSelectGdsFile: return "Select GDS File";
    case PanelButton::kStructure: return "Structure";
    case PanelButton::kConfiguration: return "Configuration";
    case PanelButton::kLayerMapping: return "Layer Mapping";
    case PanelButton::kTypeMapping: return "Type Mapping";
    case PanelButton::kStructureMapping: return "Structure Mapping";
    case PanelButton::kPolygonFiltering: return "Polygon Filtering";
    case PanelButton::kTranslate:
      if (running) return "Stop";
      switch (mergeMode) {
        case 1: return "Merge";
        case 2: return "Add";
        case 3: return "Blend";
        default: return "Translate";
      }
    case PanelButton::kViewGdsInput: return "View GDS Input";
    case PanelButton::kViewGdsOutput: return "View GDS Output";
    case PanelButton::kQuit: return "Quit";
  }
  return {};
}

std::string TranslateMenuText(int mergeMode) {
  std::string text(1, '&');
  text += PanelCaption(PanelButton::kTranslate, mergeMode, false);
  return text;
}

}  // namespace korvex
