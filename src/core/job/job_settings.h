#pragma once

#include <string>

namespace korvex {

// Every job option, path and window preference of the program, with its default.
// The application holds the one instance; everything else receives it by reference.
struct JobSettings {
  // Kept in the profile store, in the order in which they are saved.
  std::string InputFile;
  std::string WorkingDirectory;
  std::string GDSViewerPath;
  double MinWidth = 0;
  double MaxText = 1000000;
  int ControlDialog = 1;
  int Toolbar = 1;
  int Statusbar = 1;
  int Prune = 1;
  int FixNames = 0;
  int Unfold = 0;
  int Explode = 0;
  int SpecifyCase = 0;
  int LowerCase = 1;
  int MergeMode = 0;  // 0 plain translation, 1 merge, 2 add, 3 blend
  int Combine = 0;
  std::string NewTopStr = "TOP";
  double MinExt = 0;
  double MaxExt = 0;
  double HWRatio = 0;
  double WHRatio = 0;
  double AreaRatio = 0;
  int MaxVertex = 250000;
  int PFOn = 0;

  // Alive while the program runs only.
  std::string ProgramDirectory;
  std::string OutputFile;
  std::string CurrentLog;
  int DebugMode = 0;
  int PolyOff = 0;
  int VertCnt = 0;
  int LogShown = 0;
  std::string LayerList;
  int LayerExclude = 0;
  std::string DatatypeList;
  int DatatypeExclude = 0;
  std::string LayerMap;
  std::string DatatypeMap;
  std::string MergeFileList;
  // The input for which LayerMap, DatatypeMap and korvex.smp were last set ("" when that is
  // not known): they stay when another file is opened, and the job preview says so.
  std::string RulesInputFile;
};

inline constexpr int kMergeModePlain = 0;
inline constexpr int kMergeModeMerge = 1;
inline constexpr int kMergeModeAdd = 2;
inline constexpr int kMergeModeBlend = 3;

// Longest new top structure name that can be stored.
inline constexpr std::size_t kMaxNewTopLength = 255;

}  // namespace korvex
