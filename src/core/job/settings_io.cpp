#include "core/job/settings_io.h"

#include "core/support/number_text.h"
#include "core/support/paths.h"
#include "core/support/splitters.h"

namespace korvex {
namespace {

constexpr double kRealResolution = 1e-10;
constexpr std::size_t kNameCapacity = 260;

constexpr IntegerKey kWindowAndJobFlags[] = {
    {"ControlDialog", &JobSettings::ControlDialog}, {"Toolbar", &JobSettings::Toolbar},
    {"Statusbar", &JobSettings::Statusbar},         {"Prune", &JobSettings::Prune},
    {"FixNames", &JobSettings::FixNames},           {"Unfold", &JobSettings::Unfold},
    {"Explode", &JobSettings::Explode},             {"SpecifyCase", &JobSettings::SpecifyCase},
    {"LowerCase", &JobSettings::LowerCase},         {"MergeMode", &JobSettings::MergeMode},
    {"Combine", &JobSettings::Combine},
};

constexpr RealKey kPathAndTextLimits[] = {{"MinWidth", &JobSettings::MinWidth},
                                          {"MaxText", &JobSettings::MaxText}};
constexpr RealKey kPolygonLimits[] = {{"MinExt", &JobSettings::MinExt},
                                      {"MaxExt", &JobSettings::MaxExt},
                                      {"HWRatio", &JobSettings::HWRatio},
                                      {"WHRatio", &JobSettings::WHRatio},
                                      {"AreaRatio", &JobSettings::AreaRatio}};
constexpr IntegerKey kPolygonSwitches[] = {{"MaxVertex", &JobSettings::MaxVertex},
                                           {"PFOn", &JobSettings::PFOn}};

}  // namespace

// A real is read over its own current text, so a missing key keeps the value.
void ReadReal(const ProfileStore& store, const char* key, double& value) {
  std::string text = FormatReal(value, kRealResolution, 260);
  store.ReadText(key, text, kNameCapacity);
  value = LeadingReal(text);
}

void WriteReal(ProfileStore& store, const char* key, double value) {
  store.WriteText(key, FormatReal(value, kRealResolution, 64));
}

std::string ProgramDirectoryOf(const std::string& programPath) {
  std::string path = programPath;
  if (!path.empty() && path.front() == '"') path.erase(0, 1);
  return SplitPathName(path).directory;
}

void LoadSettings(JobSettings& settings, ProfileStore& store, PlacementWindow* window,
                  const std::string& programPath) {
  settings.ProgramDirectory = ProgramDirectoryOf(programPath);
  settings.WorkingDirectory.clear();
  settings.ControlDialog = settings.Toolbar = settings.Statusbar = 1;
  if (!store.Open(kStoreName)) return;
  if (window != nullptr) RestorePlacement(store, kPlacementPrefix, *window, false);

  if (!store.ReadText("InputFile", settings.InputFile, kNoLimit)) settings.InputFile.clear();
  std::string text;
  if (store.ReadText("WorkingDirectory", text, kNoLimit) && !text.empty() && DirectoryExists(text)) {
    settings.WorkingDirectory = text;
  }
  text.clear();
  if (store.ReadText("GDSViewerPath", text, kNoLimit) && !text.empty() && FileExists(text)) {
    settings.GDSViewerPath = text;
  }
  for (const RealKey& r : kPathAndTextLimits) ReadReal(store, r.key, settings.*r.field);
  for (const IntegerKey& i : kWindowAndJobFlags) store.ReadInteger(i.key, settings.*i.field);
  store.ReadText("NewTopStr", settings.NewTopStr, kNameCapacity);
  for (const RealKey& r : kPolygonLimits) ReadReal(store, r.key, settings.*r.field);
  for (const IntegerKey& i : kPolygonSwitches) store.ReadInteger(i.key, settings.*i.field);
  store.Close();
}

bool SaveSettings(JobSettings& settings, ProfileStore& store, const PlacementWindow* window,
                  bool statusbarVisible, bool toolbarVisible) {
  settings.Statusbar = statusbarVisible ? 1 : 0;
  settings.Toolbar = toolbarVisible ? 1 : 0;
  if (!store.Open(kStoreName)) return false;
  store.WriteText("InputFile", settings.InputFile);
  store.WriteText("WorkingDirectory", settings.WorkingDirectory);
  store.WriteText("GDSViewerPath", settings.GDSViewerPath);
  for (const RealKey& r : kPathAndTextLimits) WriteReal(store, r.key, settings.*r.field);
  for (const IntegerKey& i : kWindowAndJobFlags) store.WriteInteger(i.key, settings.*i.field);
  store.WriteText("NewTopStr", settings.NewTopStr);
  for (const RealKey& r : kPolygonLimits) WriteReal(store, r.key, settings.*r.field);
  for (const IntegerKey& i : kPolygonSwitches) store.WriteInteger(i.key, settings.*i.field);
  if (window != nullptr) SavePlacement(store, kPlacementPrefix, *window);
  return store.Close();
}

}  // namespace korvex
