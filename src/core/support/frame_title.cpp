#include "core/support/frame_title.h"

#include "core/support/paths.h"

namespace korvex {

std::string ComposeFrameTitle(std::string_view title, bool withInput, std::string_view inputPath,
                              bool documentNameFirst) {
  const std::string document = withInput ? SplitPathName(inputPath).name : std::string();
  if (document.empty()) return std::string(title);
  if (documentNameFirst) return document + " - " + std::string(title);
  return std::string(title) + " - " + document;
}

}  // namespace korvex
