#pragma once

#include <array>
#include <string>

#include "core/job/job_settings.h"
#include "core/options/outcome.h"

namespace korvex {

// The controls of the "Configuration" page.
enum class CfgControl {
  kMerger,
  kAdder,
  kBlender,
  kCombine,
  kNewTopName,  // the "New Top Structure Name" field and its caption
  kMinWidth,    // "Min. Path Width"
  kMaxText,     // "Drop Text Greater Than"
  kUnfold,      // "Unfold Path Data"
  kExplode,
  kPrune,        // "Trim Off Empty Trees"
  kFixNames,     // "Fix Dubious Names"
  kSpecifyCase,  // "Fix Names/Specify Case"
  kCaseRadios,   // "Upper Case" / "Lower Case"
};
inline constexpr std::size_t kCfgControlCount = 13;

inline constexpr const char* kNewTopBlankMessage = "Space is not allowed in the New Top Structure Name.";

// The caption of the Translate button and menu item after the sheet's OK.
struct TranslateCaption {
  std::string button;
  std::string menu;
};
TranslateCaption TranslateCaptionFor(int mergeMode);

// The "Configuration" page: merge mode, translation settings and name control.
class CfgPageModel {
 public:
  // Builds the page from the settings and opens it.
  explicit CfgPageModel(const JobSettings& settings);

  // The text fields as typed.
  std::string newTopName;
  std::string minWidth;
  std::string maxText;
  int lowerCase = 1;  // the radio pair: 0 "Upper Case", 1 "Lower Case"

  bool Ticked(CfgControl box) const { return m_ticked[Index(box)]; }
  bool Enabled(CfgControl control) const { return m_enabled[Index(control)]; }
  // The merge mode as ticked now: 0 none, 1 Merger, 2 Adder, 3 Blender.
  int PendingMergeMode() const { return m_pendingMergeMode; }

  // The user ticked or unticked one of the check boxes.
  void SetTicked(CfgControl box, bool ticked);

  // Reads and checks the two number fields (leaving the page, and OK).
  Outcome<CfgControl> ReadValues();
  // OK's check of the name that a combined top structure would get.
  Outcome<CfgControl> CheckNewTopName() const;
  // Writes the page's values; ReadValues must have succeeded.
  void Confirm(JobSettings& settings) const;

 private:
  static std::size_t Index(CfgControl c) { return static_cast<std::size_t>(c); }
  void Set(CfgControl c, bool ticked) { m_ticked[Index(c)] = ticked; }
  void Enable(CfgControl c, bool on) { m_enabled[Index(c)] = on; }
  bool CombineInUse() const;
  void ApplyTranslationEnabling(bool on);
  void ApplyCombineEnabling();

  std::array<bool, kCfgControlCount> m_ticked{};
  std::array<bool, kCfgControlCount> m_enabled{};
  int m_pendingMergeMode = kMergeModePlain;
  double m_minWidthValue = 0;
  double m_maxTextValue = 0;
};

}  // namespace korvex
