#pragma once

#include <string>

#include "core/job/job_settings.h"
#include "core/job/profile_store.h"
#include "core/job/window_placement.h"

namespace korvex {

inline constexpr const char* kStoreName = "Korvex";
inline constexpr const char* kPlacementPrefix = "Window";

// Directory of the program file: where the companion programs and help files are found.
std::string ProgramDirectoryOf(const std::string& programPath);

// Loads the settings while the main window is being created. A key that is missing leaves
// its field as it was (except InputFile, which it clears); a stored working directory or
// viewer that no longer exists is dropped. window may be null.
void LoadSettings(JobSettings& settings, ProfileStore& store, PlacementWindow* window,
                  const std::string& programPath);

// Saves the settings when the main window closes. The visibility of the bars is taken over
// first. Returns false when the store could not be written.
bool SaveSettings(JobSettings& settings, ProfileStore& store, const PlacementWindow* window,
                  bool statusbarVisible, bool toolbarVisible);

}  // namespace korvex
