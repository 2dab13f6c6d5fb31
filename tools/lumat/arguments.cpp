#include "lumat/arguments.h"

#include <cctype>
#include <string_view>

namespace korvex::lumat {
namespace {

// True when `arg` starts with `prefix` (any case); `value` gets the rest.
bool TakeOption(std::string_view arg, std::string_view prefix, std::string& value) {
  if (arg.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(arg[i])) != prefix[i]) return false;
  value = std::string(arg.substr(prefix.size()));
  return true;
}

}  // namespace

ViewerArguments ParseViewerArguments(const std::vector<std::string>& args) {
  ViewerArguments out;
  for (const std::string& arg : args) {
    if (TakeOption(arg, "-title:", out.title) || TakeOption(arg, "-top:", out.top)) continue;
    if (!out.has_file && (arg.empty() || arg[0] != '-')) {
      out.file = arg;
      out.has_file = true;
      continue;
    }
    out.ignored.push_back(arg);
  }
  return out;
}

}  // namespace korvex::lumat
