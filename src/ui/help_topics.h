#pragma once

#include <cstdint>
#include <string>

namespace korvex {

// Help contexts that windows announce when help is asked for while they are active.
inline constexpr std::uint32_t kHelpContextMainWindow = 0x20080;
inline constexpr std::uint32_t kHelpContextStructureSelection = 0x20089;
inline constexpr std::uint32_t kHelpContextMapping = 0x2008B;
inline constexpr std::uint32_t kHelpContextConfiguration = 0x2008C;
inline constexpr std::uint32_t kHelpContextStructureMapping = 0x20091;

// The help pages.
inline constexpr const char* kProgramHelpPage = "korvex.html";
inline constexpr const char* kInstallationHelpPage = "installation.html";
inline constexpr const char* kPolygonFilteringHelpPage = "polygon-filtering.html";

struct HelpPlace {
  std::string page;
  std::string anchor;  // empty: the page's contents at its top

  bool operator==(const HelpPlace&) const = default;
};

// Where a context-help request leads: four contexts have their own topic in the program's
// help; any other context shows the contents.
HelpPlace HelpPlaceForContext(std::uint32_t context);

// The anchor of a numbered topic in the program's help ("topic-250").
std::string TopicAnchor(int topic);

// The part of the program's help that explains how to use the help window.
HelpPlace UsingHelpPlace();

}  // namespace korvex
