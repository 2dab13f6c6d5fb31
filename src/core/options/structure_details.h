#pragma once

#include <string>
#include <string_view>

#include "core/inspect/scan_result.h"
#include "core/options/outcome.h"

namespace korvex {

// What the "Structure Information" window shows of one structure. A name the scan does not
// know shows empty fields.
struct StructureInformation {
  std::string min;  // "(x , y)" in user units
  std::string max;
  std::string boundary;
  std::string path;
  std::string sref;
  std::string aref;
  std::string text;
};

StructureInformation DescribeStructure(const ScanResult& scan, std::string_view name);

// What the "Structure Dependencies" window shows: the drawing of the structure's tree from
// the scan report, with the line ends of the platform. Empty for a name the hierarchy lacks;
// refused when the report cannot be read.
struct StructureDependencies {
  Outcome<int> outcome;
  std::string text;
};

StructureDependencies DescribeDependencies(const ScanResult& scan, std::string_view name);

}  // namespace korvex
