#include "core/support/log_view_limit.h"

namespace korvex {

std::uint64_t LogViewLimit(int platformKind) {
  return platformKind == 3 || platformKind == 4 ? 262144u : 32768u;
}

bool FitsLogView(std::uint64_t length, int platformKind) { return length <= LogViewLimit(platformKind); }

}  // namespace korvex
