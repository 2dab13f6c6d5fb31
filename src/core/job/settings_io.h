#pragma once

#include <string>

#include "core/job/job_settings.h"
#include "core/job/profile_store.h"
#include "core/job/window_placement.h"

namespace korvex {

inline constexpr const char* kStoreName = "Korvex";
inline constexpr const char* kPlacementPrefix = "Window";

// A field of the settings under its key: tables of them are read and written alike.
template <typename T>
struct SettingsKey {
  const char* key;
  T JobSettings::*field;
};
using TextKey = SettingsKey<std::string>;
using IntegerKey = SettingsKey<int>;
using RealKey = SettingsKey<double>;

// Reals in the store's syntax: written with ten decimals at most; a missing key leaves the
// value as it was, a text without a number reads as 0.
void ReadReal(const ProfileStore& store, const char* key, double& value);
void WriteReal(ProfileStore& store, const char* key, double value);

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
