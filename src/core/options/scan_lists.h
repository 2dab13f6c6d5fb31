#pragma once

#include <string>
#include <vector>

#include "core/inspect/scan_result.h"

namespace korvex {

// The valid entries of the scan record's tables, in scan order (the tables themselves are
// sized for their full capacity).
std::vector<std::string> ScannedLayers(const ScanResult& scan);
std::vector<std::string> ScannedDatatypes(const ScanResult& scan);
std::vector<std::string> ScannedStructures(const ScanResult& scan);

}  // namespace korvex
