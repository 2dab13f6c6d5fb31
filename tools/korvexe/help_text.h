// What `korvexe.exe --help` prints.
#pragma once

#include <string>

namespace korvex::engine {

std::string HelpText();

}  // namespace korvex::engine
