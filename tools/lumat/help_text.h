// What `lumat.exe --help` prints.
#pragma once

#include <string>

namespace korvex::lumat {

std::string HelpText();

}  // namespace korvex::lumat
