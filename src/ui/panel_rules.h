#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "core/job/control_panel_state.h"

namespace korvex {

inline constexpr std::size_t kPanelButtonCount = 11;

// Which of the control panel's buttons can be pressed, indexed by PanelButton.
using PanelEnabling = std::array<bool, kPanelButtonCount>;

// At start only Select GDS File and Quit can be pressed.
PanelEnabling InitialPanelEnabling();

// The enabling after the given buttons change; the others keep their state.
PanelEnabling ApplyButtonStates(PanelEnabling enabling, const std::vector<ButtonState>& states);

// After the Configuration sheet was confirmed: Translate, and the mapping and filtering
// buttons for plain translation only.
std::vector<ButtonState> PanelStateAfterConfiguration(int mergeMode);

inline bool IsEnabled(const PanelEnabling& enabling, PanelButton button) {
  return enabling[static_cast<std::size_t>(button)];
}

// The button's caption: the Translate button names the merge mode, or "Stop" while the
// engine runs.
std::string PanelCaption(PanelButton button, int mergeMode, bool running);

// The Translate menu entry, which follows the merge mode.
std::string TranslateMenuText(int mergeMode);

}  // namespace korvex
