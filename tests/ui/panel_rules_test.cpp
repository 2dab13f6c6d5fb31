#include "ui/panel_rules.h"

#include <gtest/gtest.h>

namespace korvex {
namespace {

std::vector<PanelButton> EnabledButtons(const PanelEnabling& enabling) {
  std::vector<PanelButton> on;
  for (std::size_t i = 0; i < enabling.size(); ++i) {
    if (enabling[i]) on.push_back(static_cast<PanelButton>(i));
  }
  return on;
}

using B = PanelButton;

TEST(PanelRules, StartScanConfigureTranslate) {
  PanelEnabling panel = InitialPanelEnabling();
  EXPECT_EQ(EnabledButtons(panel), (std::vector<B>{B::kSelectGdsFile, B::kQuit}));

  panel = ApplyButtonStates(panel, PanelStateAfterScan(0));
  EXPECT_EQ(EnabledButtons(panel),
            (std::vector<B>{B::kSelectGdsFile, B::kStructure, B::kConfiguration, B::kLayerMapping, B::kTypeMapping,
                            B::kStructureMapping, B::kPolygonFiltering, B::kTranslate, B::kViewGdsInput, B::kQuit}));

  panel = ApplyButtonStates(panel, PanelStateAfterTranslation());
  EXPECT_TRUE(IsEnabled(panel, B::kViewGdsOutput));

  // Blend chosen in the configuration closes the four plain-translation buttons and
  // leaves the others as they were.
  panel = ApplyButtonStates(panel, PanelStateAfterConfiguration(3));
  EXPECT_EQ(EnabledButtons(panel), (std::vector<B>{B::kSelectGdsFile, B::kStructure, B::kConfiguration, B::kTranslate,
                                                   B::kViewGdsInput, B::kViewGdsOutput, B::kQuit}));
  panel = ApplyButtonStates(panel, PanelStateAfterConfiguration(0));
  EXPECT_TRUE(IsEnabled(panel, B::kLayerMapping));
  EXPECT_TRUE(IsEnabled(panel, B::kPolygonFiltering));

  // A new scan closes View GDS Output again.
  panel = ApplyButtonStates(panel, PanelStateAfterScan(2));
  EXPECT_FALSE(IsEnabled(panel, B::kViewGdsOutput));
  EXPECT_FALSE(IsEnabled(panel, B::kStructureMapping));
}

TEST(PanelRules, TranslateCaptionFollowsMergeModeAndRun) {
  EXPECT_EQ(PanelCaption(B::kTranslate, 0, false), "Translate");
  EXPECT_EQ(PanelCaption(B::kTranslate, 1, false), "Merge");
  EXPECT_EQ(PanelCaption(B::kTranslate, 2, false), "Add");
  EXPECT_EQ(PanelCaption(B::kTranslate, 3, false), "Blend");
  EXPECT_EQ(PanelCaption(B::kTranslate, 3, true), "Stop");
  EXPECT_EQ(PanelCaption(B::kQuit, 0, true), "Quit");
  EXPECT_EQ(TranslateMenuText(2), "&Add");
  EXPECT_EQ(TranslateMenuText(0), "&Translate");
}

}  // namespace
}  // namespace korvex
