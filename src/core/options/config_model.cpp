#include "core/options/config_model.h"

#include "core/options/field_number.h"

namespace korvex {
namespace {

constexpr double kMaxFieldValue = 1000000;

constexpr CfgControl kMergeBoxes[] = {CfgControl::kMerger, CfgControl::kAdder, CfgControl::kBlender};
constexpr CfgControl kNameBoxes[] = {CfgControl::kPrune, CfgControl::kFixNames, CfgControl::kSpecifyCase};

}  // namespace

TranslateCaption TranslateCaptionFor(int mergeMode) {
  switch (mergeMode) {
    case kMergeModeMerge:
      return {"Merge", "&Merge"};
    case kMergeModeAdd:
      return {"Add", "&Add"};
    case kMergeModeBlend:
      return {"Blend", "&Blend"};
    default:
      return {"Translate", "&Translate"};
  }
}

CfgPageModel::CfgPageModel(const JobSettings& settings)
    : newTopName(settings.NewTopStr),
      minWidth(FormatFieldReal(settings.MinWidth)),
      maxText(FormatFieldReal(settings.MaxText)),
      lowerCase(settings.LowerCase != 0 ? 1 : 0),
      m_minWidthValue(settings.MinWidth),
      m_maxTextValue(settings.MaxText) {
  Set(CfgControl::kUnfold, settings.Unfold != 0);
  Set(CfgControl::kExplode, settings.Explode != 0);
  if (settings.SpecifyCase != 0) {
    Set(CfgControl::kSpecifyCase, true);
  } else if (settings.FixNames != 0) {
    Set(CfgControl::kFixNames, true);
  } else if (settings.Prune != 0) {
    Set(CfgControl::kPrune, true);
  }
  if (settings.MergeMode >= kMergeModeMerge && settings.MergeMode <= kMergeModeBlend) {
    Set(kMergeBoxes[settings.MergeMode - 1], true);
    Set(CfgControl::kExplode, false);
    m_pendingMergeMode = settings.MergeMode;
  }
  Set(CfgControl::kCombine, settings.Combine != 0 && CombineInUse());

  for (const CfgControl c : {CfgControl::kMerger, CfgControl::kAdder, CfgControl::kBlender,
                             CfgControl::kMinWidth, CfgControl::kMaxText}) {
    Enable(c, true);
  }
  ApplyTranslationEnabling(m_pendingMergeMode == kMergeModePlain);
  ApplyCombineEnabling();
}

bool CfgPageModel::CombineInUse() const { return Ticked(CfgControl::kMerger) || Ticked(CfgControl::kAdder); }

void CfgPageModel::ApplyTranslationEnabling(bool on) {
  for (const CfgControl c : {CfgControl::kUnfold, CfgControl::kPrune, CfgControl::kFixNames,
                             CfgControl::kSpecifyCase, CfgControl::kExplode}) {
    Enable(c, on);
  }
  if (!on) Set(CfgControl::kExplode, false);
  Enable(CfgControl::kCaseRadios, on && Ticked(CfgControl::kSpecifyCase));
}

void CfgPageModel::ApplyCombineEnabling() {
  Enable(CfgControl::kCombine, CombineInUse());
  Enable(CfgControl::kNewTopName, CombineInUse());
}

void CfgPageModel::SetTicked(CfgControl box, bool ticked) {
  switch (box) {
    case CfgControl::kMerger:
    case CfgControl::kAdder:
    case CfgControl::kBlender:
      for (const CfgControl other : kMergeBoxes) Set(other, false);
      Set(box, ticked);
      m_pendingMergeMode = !ticked                         ? kMergeModePlain
                           : box == CfgControl::kMerger ? kMergeModeMerge
                           : box == CfgControl::kAdder  ? kMergeModeAdd
                                                        : kMergeModeBlend;
      ApplyTranslationEnabling(!ticked);
      if (!CombineInUse()) Set(CfgControl::kCombine, false);
      ApplyCombineEnabling();
      break;
    case CfgControl::kCombine:
      Set(box, ticked);
      if (ticked && newTopName.empty()) newTopName = "TOP";
      break;
    case CfgControl::kPrune:
    case CfgControl::kFixNames:
    case CfgControl::kSpecifyCase:
      for (const CfgControl other : kNameBoxes) Set(other, false);
      Set(box, ticked);
      Enable(CfgControl::kCaseRadios, ticked && box == CfgControl::kSpecifyCase);
      break;
    case CfgControl::kUnfold:
    case CfgControl::kExplode:
      Set(box, ticked);
      break;
    default:
      break;  // fields and radios are not check boxes
  }
}

Outcome<CfgControl> CfgPageModel::ReadValues() {
  double width = m_minWidthValue;
  double text = m_maxTextValue;
  std::string message = ReadRealField(minWidth, 0, kMaxFieldValue, width);
  if (!message.empty()) return Outcome<CfgControl>::Refuse(message, CfgControl::kMinWidth);
  message = ReadRealField(maxText, 0, kMaxFieldValue, text);
  if (!message.empty()) return Outcome<CfgControl>::Refuse(message, CfgControl::kMaxText);
  m_minWidthValue = width;
  m_maxTextValue = text;
  return Outcome<CfgControl>::Accept();
}

Outcome<CfgControl> CfgPageModel::CheckNewTopName() const {
  if (!Ticked(CfgControl::kCombine) || !CombineInUse()) return Outcome<CfgControl>::Accept();
  if (newTopName.find(' ') != std::string::npos) {
    return Outcome<CfgControl>::Refuse(kNewTopBlankMessage, CfgControl::kNewTopName);
  }
  if (newTopName.size() > kMaxNewTopLength) {
    return Outcome<CfgControl>::Refuse("The New Top Structure Name may have at most " +
                                           std::to_string(kMaxNewTopLength) + " characters.",
                                       CfgControl::kNewTopName);
  }
  return Outcome<CfgControl>::Accept();
}

void CfgPageModel::Confirm(JobSettings& settings) const {
  settings.MinWidth = m_minWidthValue;
  settings.MaxText = m_maxTextValue;
  settings.Unfold = Ticked(CfgControl::kUnfold) ? 1 : 0;
  settings.Explode = Ticked(CfgControl::kExplode) ? 1 : 0;
  settings.Prune = Ticked(CfgControl::kPrune) ? 1 : 0;
  settings.FixNames = !Ticked(CfgControl::kPrune) && Ticked(CfgControl::kFixNames) ? 1 : 0;
  settings.SpecifyCase = settings.Prune == 0 && settings.FixNames == 0 && Ticked(CfgControl::kSpecifyCase) ? 1 : 0;
  settings.LowerCase = lowerCase;
  settings.MergeMode = Ticked(CfgControl::kMerger) ? kMergeModeMerge
                       : Ticked(CfgControl::kAdder) ? kMergeModeAdd
                       : Ticked(CfgControl::kBlender) ? kMergeModeBlend
                                                      : kMergeModePlain;
  if (Ticked(CfgControl::kCombine) && CombineInUse()) {
    settings.Combine = 1;
    settings.NewTopStr = newTopName;
  } else {
    settings.Combine = 0;
  }
}

}  // namespace korvex
