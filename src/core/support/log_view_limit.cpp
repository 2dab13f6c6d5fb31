#include "core/support/log_view_limit.h"

namespace korvex {

std::uint64_t LogViewLimit(int platformKind) {
  // Present-day desktops: as much as the text view holds well (a scan report of a layout of
  // many gigabytes still fits).
  return platformKind == 3 || platformKind == 4 ? std::uint64_t{64} << 20 : 32768u;
}

bool FitsLogView(std::uint64_t length, int platformKind) { return length <= LogViewLimit(platformKind); }

}  // namespace korvex
