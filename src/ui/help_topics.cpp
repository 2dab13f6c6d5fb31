#include "ui/help_topics.h"

namespace korvex {

HelpPlace HelpPlaceForContext(std::uint32_t context) {
  int topic = 0;
  switch (context) {
    case kHelpContextStructureSelection: topic = 250; break;
    case kHelpContextMapping: topic = 200; break;
    case kHelpContextConfiguration: topic = 100; break;
    case kHelpContextStructureMapping: topic = 300; break;
    default: return {kProgramHelpPage, {}};
  }
  return {kProgramHelpPage, TopicAnchor(topic)};
}

std::string TopicAnchor(int topic) { return "topic-" + std::to_string(topic); }

HelpPlace UsingHelpPlace() { return {kProgramHelpPage, "using-help"}; }

}  // namespace korvex
